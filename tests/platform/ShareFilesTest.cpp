// The SMB file system against the test server: copies every way, what must
// leave the share as it was, copies through parallel sessions and several at
// once, and long runs into one folder.
#include "core/copy/CopyAhead.h"
#include "platform/ErrorCodes.h"
#include "platform/ProcessServices.h"
#include "tests/support/SambaServer.h"
#include "tests/support/TempFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tarvo {
namespace {

using test::TempFolder;

void Write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Bytes in which no two blocks are alike: a copy that mixed up or dropped a
// block shows it.
QByteArray Pattern(qsizetype size, int seed = 0)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i / 4096 * 7 + i + seed) % 251);
    return bytes;
}

class ShareFilesTest : public test::SambaTest
{
protected:
    void SetUp() override
    {
        SambaTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_EQ(connect(services, "S"), 0);
    }
    static int connect(ProcessServices& to, const QString& name, const QString& password = {})
    {
        return to.connections().addConnection(name, samba().shareText(), "tester",
                                              password.isNull() ? samba().password() : password,
                                              true);
    }
    // A network path below the test share, and the server's file behind it.
    static QString share(const QString& below) { return samba().shareText() + u'\\' + below; }
    static QString onServer(const QString& below) { return samba().shareFolder() + u'/' + below; }
    QString local(const QString& below) const { return device.filePath(below); }
    FileInfo attributes(const QString& path)
    {
        FileInfo info;
        EXPECT_EQ(services.files().readAttributes(path, info), 0) << path.toStdString();
        return info;
    }
    QMap<QString, FileInfo> listed(const QString& folder)
    {
        QMap<QString, FileInfo> entries;
        EXPECT_EQ(services.files().listFolder(folder,
                                              [&](const DirEntry& e) {
                                                  entries.insert(e.Name, e.Info);
                                                  return true;
                                              }),
                  0);
        return entries;
    }

    TempFolder device;
    ProcessServices services{device.path()};
};

// Multi-block (read ahead while the last block is written), big (through
// parallel sessions) and empty files arrive byte for byte with their times,
// every way; a listing reports the times and attributes the files have.
TEST_F(ShareFilesTest, CopiesEveryWayKeepBytesAndTimes)
{
    const QMap<QString, QByteArray> files = {{"multi.bin", Pattern((5 << 20) / 2 + 17)},
                                             {"big.bin", Pattern((9 << 20) + 17)},
                                             {"empty.txt", ""}};
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        device.write("Out/" + it.key(), it.value());
    const timespec times[2] = {{1'650'000'000, 123'456'789}, {1'650'000'000, 123'456'789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(local("Out/big.bin")), times, 0), 0);
    QDir().mkpath(onServer("In"));
    QDir().mkpath(onServer("Copy/Sub"));
    QDir().mkpath(local("Back"));
    for (const QString& name : files.keys()) {
        const QString path[] = {"\\Out\\" + name, share("In\\" + name), share("Copy\\" + name),
                                "\\Back\\" + name};
        for (int hop = 0; hop < 3; ++hop) {
            ASSERT_EQ(services.files().copyFile(path[hop], path[hop + 1], true), 0);
            EXPECT_EQ(attributes(path[hop + 1]).LastWriteTime, attributes(path[0]).LastWriteTime);
        }
        EXPECT_TRUE(TempFolder::read(local("Back/" + name)) == files.value(name));
    }
    device.write("Copy.hidden", "h");
    ASSERT_EQ(services.files().copyFile("\\Copy.hidden", share("Copy\\.hidden"), true), 0);
    const auto entries = listed(share("Copy"));
    EXPECT_EQ(entries.keys(), QStringList({".hidden", "Sub", "big.bin", "empty.txt", "multi.bin"}));
    EXPECT_EQ(entries["big.bin"].LastWriteTime, attributes("\\Out\\big.bin").LastWriteTime);
    EXPECT_EQ(entries["big.bin"].Size, quint64((9 << 20) + 17));
    EXPECT_TRUE(entries["Sub"].isDirectory());
    EXPECT_TRUE(entries[".hidden"].Attributes & FileAttribute::Hidden); // as Samba keeps dot files
}

// What is refused leaves the share as it was: targets that exist, paths that
// would leave the share, and a move or delete of a file that changed since
// it was sent.
TEST_F(ShareFilesTest, RefusedOperationsLeaveTheShareAsItWas)
{
    ASSERT_TRUE(samba().addShare("other"));
    device.write("a.txt", "new");
    device.write("old.txt", "old");
    for (const char* name : {"a.txt", "b.txt", "Sent/keep.txt", "../other/secret.txt"})
        Write(onServer(name), "share");
    FileSystem& files = services.files();
    const FileInfo sent = {}; // a version that no file has now

    EXPECT_EQ(files.copyFile("\\a.txt", share("a.txt"), true), PlatformError::FileExists);
    EXPECT_EQ(files.copyFile(share("b.txt"), "\\old.txt", true), PlatformError::FileExists);
    EXPECT_EQ(files.copyFile(share("b.txt"), share("a.txt"), true), PlatformError::FileExists);
    EXPECT_EQ(files.moveFile("\\a.txt", share("a.txt")), PlatformError::FileExists);
    EXPECT_EQ(files.moveFile(share("b.txt"), share("a.txt")), PlatformError::FileExists);
    EXPECT_EQ(files.moveFile(share("b.txt"), share("Sent\\b.txt"), &sent),
              PlatformError::SourceChanged);
    EXPECT_EQ(files.moveFile(share("b.txt"), "\\b.txt", &sent), PlatformError::SourceChanged);
    EXPECT_EQ(files.deleteFile(share("b.txt"), &sent), PlatformError::SourceChanged);
    for (const QString& away : {share("..\\other\\secret.txt"), share("Sent\\..\\..\\other\\x"),
                                samba().shareText() + "/../other/secret.txt"}) {
        EXPECT_EQ(files.copyFile(away, "\\b.txt", false), PlatformError::InvalidName);
        EXPECT_EQ(files.copyFile("\\a.txt", away, false), PlatformError::InvalidName);
        EXPECT_EQ(files.deleteFile(away), PlatformError::InvalidName);
    }
    EXPECT_EQ(QDir(samba().shareFolder()).entryList(QDir::Files), QStringList({"a.txt", "b.txt"}));
    EXPECT_EQ(TempFolder::read(onServer("a.txt")) + TempFolder::read(local("old.txt")), "shareold");
    EXPECT_TRUE(QFile::exists(onServer("../other/secret.txt")));

    // Moves and deletes that may be done: on the share, across, and back.
    EXPECT_EQ(files.moveFile(share("a.txt"), share("Sent\\a.txt")), 0);
    EXPECT_EQ(files.moveFile("\\a.txt", share("a.txt")), 0);
    EXPECT_EQ(files.moveFile(share("Sent\\a.txt"), "\\a.txt"), 0);
    EXPECT_EQ(files.deleteFile(share("b.txt")), 0);
    EXPECT_EQ(QDir(samba().shareFolder()).entryList(QDir::Files), QStringList{"a.txt"});
    EXPECT_EQ(TempFolder::read(local("a.txt")) + TempFolder::read(onServer("a.txt")), "sharenew");
}

// Copies of a list run a few at once ahead of the one taken, but come back in
// list order, a failed one at its own place, and none starts beyond the
// depth. Big files at once share the extra sessions, and when no extra
// session can log on (the password changed on the server), every copy goes
// through the session at hand: all arrive whole.
TEST_F(ShareFilesTest, CopiesAtOnceAndThroughParallelSessionsArriveWhole)
{
    QList<CopyRequest> small;
    for (int i = 0; i < 12; ++i) {
        if (i != 5) // the sixth source is missing
            device.write(QString("Ahead/f%1.txt").arg(i), QByteArray::number(i));
        small.append({QString("\\Ahead\\f%1.txt").arg(i), share(QString("f%1.txt").arg(i))});
    }
    {
        CopyAhead ahead(services.files(), small, 3);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(ahead.takeNext().error, i == 5 ? PlatformError::FileNotFound : 0) << i;
    } // left with copies running: the end waits for them
    const QStringList there = QDir(samba().shareFolder()).entryList(QDir::Files | QDir::Hidden);
    for (int i = 0; i < 12; ++i) {
        if (i < 8 || i >= 8 + 3) {
            EXPECT_EQ(there.contains(QString("f%1.txt").arg(i)), i < 8 && i != 5) << i;
        }
    }
    EXPECT_TRUE(there.filter(".part").isEmpty());

    QList<CopyRequest> puts, gets;
    for (int i = 0; i < 4; ++i) {
        device.write(QString("Big/%1.bin").arg(i), Pattern((9 << 20) + i, i));
        puts.append({QString("\\Big\\%1.bin").arg(i), share(QString("%1.bin").arg(i))});
        gets.append({share(QString("%1.bin").arg(i)), QString("\\Back\\%1.bin").arg(i)});
    }
    QDir().mkpath(local("Back"));
    for (const QList<CopyRequest>& copies : {puts, gets}) {
        CopyAhead ahead(services.files(), copies, 4);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(ahead.takeNext().error, 0) << i;
    }
    ASSERT_TRUE(samba().changePassword("changed on the server"));
    EXPECT_EQ(connect(services, "T", "not the password"), PlatformError::LogonFailure);
    EXPECT_EQ(services.files().copyFile("\\Big\\3.bin", share("again.bin"), false), 0);
    EXPECT_EQ(services.files().copyFile(share("again.bin"), "\\again.bin", false), 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(TempFolder::read(onServer(QString("%1.bin").arg(i))) ==
                    Pattern((9 << 20) + i, i));
        EXPECT_TRUE(TempFolder::read(local(QString("Back/%1.bin").arg(i))) ==
                    Pattern((9 << 20) + i, i));
    }
    EXPECT_TRUE(TempFolder::read(local("again.bin")) == Pattern((9 << 20) + 3, 3));
}

// Past a few copies into one folder, a copy trusts a listing of the folder
// instead of asking about each name, and the parts go to a folder of their
// own: what held a name before the run is kept, the part folder comes back
// when someone removes it, and it goes when the program signs off or ends.
// A part folder the program did not make, or a file of that name, stays.
TEST_F(ShareFilesTest, ALongRunIntoOneFolderKeepsWhatHoldsItsNames)
{
    const QString parts = ".tarvo-parts";
    for (const char* folder : {"Run", "Theirs"}) {
        for (int i = 0; i < 40; ++i)
            device.write(QString("%1/f%2.txt").arg(folder).arg(i), QByteArray::number(i));
        device.write(QString("%1/big.bin").arg(folder), Pattern(9 << 20));
        QDir().mkpath(onServer(folder));
    }
    QDir().mkpath(onServer("Run/f20.txt")); // an empty folder
    Write(onServer("Run/F30.TXT"), "keep");
    ASSERT_TRUE(samba().setReadOnly("Run/F30.TXT"));
    Write(onServer("Theirs/" + parts + "/mine.txt"), "someone else's");
    const auto copy = [&](ProcessServices& with, const QString& folder, const QString& name) {
        return with.files().copyFile('\\' + folder + '\\' + name, share(folder + '\\' + name), 0);
    };

    for (int i = 0; i < 40; ++i) {
        const int expected = i == 20 || i == 30 ? PlatformError::AccessDenied : 0;
        EXPECT_EQ(copy(services, "Run", QString("f%1.txt").arg(i)), expected) << i;
        EXPECT_EQ(copy(services, "Theirs", QString("f%1.txt").arg(i)), 0) << i;
        if (i == 25) { // someone removes the part folder halfway
            EXPECT_TRUE(QDir(onServer("Run")).rmdir(parts));
            EXPECT_EQ(copy(services, "Run", "big.bin"), 0);
        }
    }
    EXPECT_TRUE(QFileInfo(onServer("Run/f20.txt")).isDir());
    EXPECT_EQ(TempFolder::read(onServer("Run/F30.TXT")), "keep");
    EXPECT_TRUE(TempFolder::read(onServer("Run/big.bin")) == Pattern(9 << 20));
    EXPECT_TRUE(QFileInfo(onServer("Run/" + parts)).isDir());
    ASSERT_EQ(services.connections().cancelConnection("S", true, false), 0);
    EXPECT_FALSE(QFileInfo::exists(onServer("Run/" + parts)));
    EXPECT_EQ(QDir(onServer("Theirs/" + parts)).entryList(QDir::Files), QStringList{"mine.txt"});

    // A process that ends without signing off removes its part folders too.
    {
        ProcessServices ending(device.path());
        ASSERT_EQ(connect(ending, "T"), 0);
        for (int i = 0; i < 40; ++i)
            ASSERT_EQ(copy(ending, "Run", QString("f%1.txt").arg(i % 20)), 0) << i;
        EXPECT_TRUE(QFileInfo(onServer("Run/" + parts)).isDir());
    }
    EXPECT_FALSE(QFileInfo::exists(onServer("Run/" + parts)));
}

} // namespace
} // namespace tarvo
