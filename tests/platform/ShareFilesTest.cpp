#include "core/copy/CopyAhead.h"
#include "platform/ErrorCodes.h"
#include "platform/ProcessServices.h"
#include "tests/support/SambaServer.h"

#include <fcntl.h>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <sys/stat.h>

namespace tarvo {
namespace {

using namespace std::chrono_literals;

class ShareFilesTest : public test::SambaTest
{
protected:
    void SetUp() override
    {
        SambaTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_EQ(0, services.connections().addConnection("S", samba().shareText(), "tester",
                                                          samba().password(), true));
    }

    // A network path below the test share.
    QString share(const QString& below) const { return samba().shareText() + u'\\' + below; }
    QString onServer(const QString& below) const { return samba().shareFolder() + u'/' + below; }
    QString local(const QString& below) const { return m_device.filePath(below); }

    static void write(const QString& file, const QByteArray& content)
    {
        QDir().mkpath(QFileInfo(file).path());
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(content);
    }
    static QByteArray read(const QString& file)
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<missing>");
    }
    static void setWriteTime(const QString& file, time_t seconds, long nanoseconds)
    {
        const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
        ASSERT_EQ(0, ::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0));
    }
    QStringList namesIn(const QString& folder)
    {
        DirEntryList entries;
        EXPECT_EQ(0, services.files().listFolder(folder, entries));
        QStringList names;
        for (const DirEntry& entry : entries)
            names.append(entry.Name);
        names.sort();
        return names;
    }

    QTemporaryDir m_device;
    ProcessServices services{m_device.path()};
};

TEST_F(ShareFilesTest, CopiesBothWaysKeepTheLastWriteTimeSoSyncSeesThemEqual)
{
    write(local("Out/a.txt"), "from the device");
    setWriteTime(local("Out/a.txt"), 1'650'000'000, 123'456'789);
    write(onServer("In/b.txt"), "from the share");
    setWriteTime(onServer("In/b.txt"), 1'660'000'000, 987'654'321);
    QDir().mkpath(onServer("Out"));
    QDir().mkpath(local("In"));

    const struct
    {
        QString source, target;
    } copies[] = {
        {"\\Out\\a.txt", share("Out\\a.txt")},
        {share("In\\b.txt"), "\\In\\b.txt"},
        {share("In\\b.txt"), share("Out\\b.txt")},
        {"\\Out\\a.txt", "\\In\\a.txt"},
    };
    for (const auto& copy : copies) {
        SCOPED_TRACE(copy.source.toStdString() + " -> " + copy.target.toStdString());
        ASSERT_EQ(0, services.files().copyFile(copy.source, copy.target, true));
        FileInfo source, target;
        ASSERT_EQ(0, services.files().readAttributes(copy.source, source));
        ASSERT_EQ(0, services.files().readAttributes(copy.target, target));
        EXPECT_EQ(source.LastWriteTime, target.LastWriteTime);
        EXPECT_EQ(source.Size, target.Size);
    }
    EXPECT_EQ("from the device", read(onServer("Out/a.txt")));
    EXPECT_EQ("from the share", read(local("In/b.txt")));
    EXPECT_EQ(QStringList({"a.txt", "b.txt"}), namesIn(share("Out")));

    // The listing reports the same time as the attributes.
    DirEntryList entries;
    ASSERT_EQ(0, services.files().listFolder(share("Out"), entries));
    FileInfo copied;
    ASSERT_EQ(0, services.files().readAttributes("\\Out\\a.txt", copied));
    for (const DirEntry& entry : entries) {
        if (entry.Name == u"a.txt") {
            EXPECT_EQ(copied.LastWriteTime, entry.Info.LastWriteTime);
        }
    }
}

// Files of several copy blocks (read ahead while the last block is written)
// and empty files arrive byte for byte, with their times, every way.
TEST_F(ShareFilesTest, MultiBlockAndEmptyFilesArriveExactlyEveryWay)
{
    QByteArray content((5 << 20) / 2 + 17, Qt::Uninitialized);
    for (qsizetype i = 0; i < content.size(); ++i)
        content[i] = char(i % 251); // no two blocks alike
    write(local("Out/big.bin"), content);
    // Big enough to go through several writers at once on a share.
    QByteArray huge((9 << 20) + 17, Qt::Uninitialized);
    for (qsizetype i = 0; i < huge.size(); ++i)
        huge[i] = char((i / 4096 + i) % 253);
    write(local("Out/huge.bin"), huge);
    write(local("Out/empty.txt"), "");
    setWriteTime(local("Out/big.bin"), 1'650'000'000, 123'456'789);
    QDir().mkpath(onServer("In"));
    QDir().mkpath(onServer("Copy"));
    QDir().mkpath(local("Back"));

    for (const QString name : {"big.bin", "huge.bin", "empty.txt"}) {
        const QString copies[][2] = {
            {"\\Out\\" + name, share("In\\" + name)},
            {share("In\\" + name), share("Copy\\" + name)},
            {share("Copy\\" + name), "\\Back\\" + name},
        };
        for (const auto& copy : copies) {
            SCOPED_TRACE(copy[0].toStdString() + " -> " + copy[1].toStdString());
            ASSERT_EQ(0, services.files().copyFile(copy[0], copy[1], true));
            FileInfo source, target;
            ASSERT_EQ(0, services.files().readAttributes(copy[0], source));
            ASSERT_EQ(0, services.files().readAttributes(copy[1], target));
            EXPECT_EQ(source.LastWriteTime, target.LastWriteTime);
            EXPECT_EQ(source.Size, target.Size);
        }
    }
    EXPECT_TRUE(read(onServer("In/big.bin")) == content);
    EXPECT_TRUE(read(onServer("Copy/big.bin")) == content);
    EXPECT_TRUE(read(local("Back/big.bin")) == content);
    EXPECT_TRUE(read(onServer("In/huge.bin")) == huge);
    EXPECT_TRUE(read(onServer("Copy/huge.bin")) == huge);
    EXPECT_TRUE(read(local("Back/huge.bin")) == huge);
    EXPECT_EQ("", read(local("Back/empty.txt")));

    // A big copy that must not replace is refused before it starts, and one
    // that fits in a block when it is done: either way nothing changes.
    write(local("Out/small.txt"), "small");
    for (const QString name : {"big.bin", "small.txt"}) {
        SCOPED_TRACE(name.toStdString());
        write(onServer("In/" + name), "old");
        EXPECT_EQ(PlatformError::FileExists,
                  services.files().copyFile("\\Out\\" + name, share("In\\" + name), true));
        EXPECT_EQ("old", read(onServer("In/" + name)));
    }
    EXPECT_EQ(QStringList({"big.bin", "empty.txt", "huge.bin", "small.txt"}), namesIn(share("In")));
}

TEST_F(ShareFilesTest, ExistingTargetsGiveTheSameCodeOnBothSides)
{
    write(local("a.txt"), "new");
    write(local("old.txt"), "old");
    write(onServer("a.txt"), "old");
    write(onServer("b.txt"), "b");

    const struct
    {
        QString source, target;
    } cases[] = {
        {"\\a.txt", share("a.txt")},
        {share("b.txt"), "\\old.txt"},
        {share("b.txt"), share("a.txt")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target.toStdString());
        EXPECT_EQ(PlatformError::FileExists, services.files().copyFile(c.source, c.target, true));
        EXPECT_EQ(PlatformError::FileExists, services.files().moveFile(c.source, c.target));
        EXPECT_TRUE(services.files().canOpenForReading(c.source));
    }
    EXPECT_EQ("old", read(onServer("a.txt")));
    EXPECT_EQ("old", read(local("old.txt")));

    EXPECT_EQ(0, services.files().copyFile("\\a.txt", share("a.txt"), false));
    EXPECT_EQ("new", read(onServer("a.txt")));
    EXPECT_EQ(QStringList({"a.txt", "b.txt"}), namesIn(share("")));
}

TEST_F(ShareFilesTest, MoveAndDeleteOnTheShareAndAcross)
{
    write(onServer("a.txt"), "a");
    write(local("b.txt"), "b");
    QDir().mkpath(onServer("Sent"));

    EXPECT_EQ(0, services.files().moveFile(share("a.txt"), share("Sent\\a.txt")));
    EXPECT_EQ(0, services.files().moveFile("\\b.txt", share("Sent\\b.txt")));
    EXPECT_EQ(0, services.files().moveFile(share("Sent\\a.txt"), "\\a.txt"));
    EXPECT_EQ(QStringList({"b.txt"}), namesIn(share("Sent")));
    EXPECT_EQ(QStringList({"a.txt"}), namesIn("\\"));

    EXPECT_EQ(0, services.files().deleteFile(share("Sent\\b.txt")));
    EXPECT_EQ(PlatformError::FileNotFound, services.files().deleteFile(share("Sent\\b.txt")));
    EXPECT_EQ(PlatformError::FileNotFound,
              services.files().copyFile(share("none.txt"), "\\none.txt", false));
    EXPECT_EQ(PlatformError::PathNotFound,
              services.files().copyFile("\\a.txt", share("No\\a.txt"), false));
    EXPECT_EQ(PlatformError::PathNotFound,
              services.files().listFolder(share("No"), [](const DirEntry&) { return true; }));
    EXPECT_FALSE(services.files().canOpenForReading(share("none.txt")));
    EXPECT_TRUE(services.files().canOpenForReading(share("Sent")));
}

TEST_F(ShareFilesTest, ListingGivesNamesAndAttributesButNeverDotOrDotDot)
{
    write(onServer("Docs/a b%20#&.txt"), "x");
    write(onServer("Docs/Überweisung.pdf"), "xy");
    QDir().mkpath(onServer("Docs/Sub"));
    write(onServer("Docs/.profile"), "x");

    DirEntryList entries;
    ASSERT_EQ(0, services.files().listFolder(share("Docs"), entries));
    QMap<QString, FileInfo> byName;
    for (const DirEntry& entry : entries)
        byName.insert(entry.Name, entry.Info);
    EXPECT_EQ(QStringList({".profile", "Sub", "a b%20#&.txt", "Überweisung.pdf"}), byName.keys());
    EXPECT_TRUE(byName["Sub"].isDirectory());
    EXPECT_FALSE(byName["a b%20#&.txt"].isDirectory());
    EXPECT_EQ(2u, byName["Überweisung.pdf"].Size);
    // The server's own attributes: Samba hides dot files.
    EXPECT_EQ(FileAttribute::Hidden, byName[".profile"].Attributes & FileAttribute::Hidden);
    // A listed file carries the times and size that Sync compares, as the
    // file itself reports them.
    FileInfo own;
    ASSERT_EQ(0, services.files().readAttributes(share("Docs\\Überweisung.pdf"), own));
    EXPECT_NE(0u, own.LastWriteTime);
    EXPECT_EQ(own.LastWriteTime, byName["Überweisung.pdf"].LastWriteTime);
    EXPECT_EQ(own.Size, byName["Überweisung.pdf"].Size);

    // Names with characters that URLs reserve reach the right file.
    ASSERT_EQ(0, services.files().copyFile(share("Docs\\a b%20#&.txt"), "\\copy.txt", false));
    EXPECT_EQ("x", read(local("copy.txt")));
}

TEST_F(ShareFilesTest, PathsThatWouldLeaveTheShareAreRefused)
{
    ASSERT_TRUE(samba().addShare("other"));
    write(samba().shareFolder("other") + "/secret.txt", "secret");
    write(local("a.txt"), "a");

    const QString escapes[] = {
        share("..\\other\\secret.txt"),
        share("Docs\\..\\..\\other\\secret.txt"),
        share("."),
        samba().shareText() + "/../other/secret.txt",
    };
    for (const QString& path : escapes) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(PlatformError::InvalidName, services.files().copyFile(path, "\\b.txt", false));
        EXPECT_EQ(PlatformError::InvalidName, services.files().copyFile("\\a.txt", path, false));
        EXPECT_EQ(PlatformError::InvalidName, services.files().deleteFile(path));
    }
    EXPECT_EQ("secret", read(samba().shareFolder("other") + "/secret.txt"));
    EXPECT_FALSE(QFile::exists(local("b.txt")));
    samba().removeShare("other");
}

// Extra sessions for a big file log on while the file's own session already
// moves blocks. When they cannot (the password changed on the server after
// the share was connected), the copy goes through on the one session, both
// ways, and the pool keeps using the session it has instead of logging on.
TEST_F(ShareFilesTest, BigCopiesGoThroughWhenNoFurtherSessionCanLogOn)
{
    QByteArray data(9 << 20, Qt::Uninitialized);
    for (qsizetype i = 0; i < data.size(); ++i)
        data[i] = char((i / 4096 * 7 + i) % 251);
    write(local("Out/big.bin"), data);
    QDir().mkpath(local("Back"));
    ASSERT_TRUE(samba().changePassword("changed on the server"));

    ASSERT_EQ(0, services.files().copyFile("\\Out\\big.bin", share("big.bin"), false));
    EXPECT_EQ(data, read(onServer("big.bin")));
    ASSERT_EQ(0, services.files().copyFile(share("big.bin"), "\\Back\\big.bin", false));
    EXPECT_EQ(data, read(local("Back/big.bin")));
}

// A logon that failed leaves its context idle beside the one that holds the
// share's session; a copy takes the latter and needs no new logon, which
// would fail now that the password has changed on the server.
TEST_F(ShareFilesTest, CopiesUseTheSessionAtHandBeforeLoggingOnAgain)
{
    write(local("a.txt"), "first");
    ASSERT_TRUE(samba().changePassword("changed on the server"));
    EXPECT_EQ(PlatformError::LogonFailure,
              services.connections().addConnection("T", samba().shareText(), "tester",
                                                   samba().password().chopped(1) + "?", true));
    EXPECT_EQ(0, services.files().copyFile("\\a.txt", share("a.txt"), false));
    EXPECT_EQ("first", read(onServer("a.txt")));
}

// A server that goes away in the middle of a copy: the old target stays as it
// was, and the copy fails within seconds instead of hanging.
TEST_F(ShareFilesTest, CopyCutOffByTheServerLeavesTheOldTarget)
{
    write(local("big.bin"), QByteArray(256 << 20, 'n'));
    write(onServer("big.bin"), "old target");

    // A thread of the standard library: ThreadSanitizer sees its end.
    std::future<int> copier = std::async(std::launch::async, [&] {
        return services.files().copyFile("\\big.bin", share("big.bin"), false);
    });
    // Stop the server once the part file has grown a little.
    QElapsedTimer waited;
    waited.start();
    bool growing = false;
    while (!growing && waited.elapsed() < 20000 &&
           copier.wait_for(0s) == std::future_status::timeout) {
        for (const QFileInfo& file :
             QDir(samba().shareFolder()).entryInfoList(QDir::Hidden | QDir::Files))
            growing = growing || (file.fileName().endsWith(".part") && file.size() > (8 << 20));
        QThread::msleep(1);
    }
    ASSERT_TRUE(growing) << "the copy finished before it could be cut off";
    samba().stop();
    QElapsedTimer failing;
    failing.start();
    ASSERT_EQ(std::future_status::ready, copier.wait_for(30s));
    const int result = copier.get();

    EXPECT_NE(0, result);
    EXPECT_LT(failing.elapsed(), 15000);
    EXPECT_EQ("old target", read(onServer("big.bin")));

    // The connection is unavailable now; reconnected, the copy goes through.
    QString remote;
    EXPECT_EQ(PlatformError::ConnectionUnavailable,
              services.connections().getConnection("S", remote));
    ASSERT_TRUE(samba().start());
    EXPECT_EQ(0, services.connections().cancelConnection("S", true, false));
    ASSERT_EQ(0, services.connections().addConnection("S", samba().shareText(), "tester",
                                                      samba().password(), true));
    EXPECT_EQ(0, services.files().copyFile("\\big.bin", share("big.bin"), false));
    EXPECT_EQ(QFileInfo(local("big.bin")).size(), QFileInfo(onServer("big.bin")).size());
}

TEST_F(ShareFilesTest, GetCutOffByTheServerLeavesNoPartialFile)
{
    write(onServer("big.bin"), QByteArray(256 << 20, 's'));
    write(local("big.bin"), "old target");

    std::future<int> copier = std::async(std::launch::async, [&] {
        return services.files().copyFile(share("big.bin"), "\\big.bin", false);
    });
    QElapsedTimer waited;
    waited.start();
    bool growing = false;
    while (!growing && waited.elapsed() < 20000 &&
           copier.wait_for(0s) == std::future_status::timeout) {
        for (const QFileInfo& file :
             QDir(m_device.path()).entryInfoList(QDir::Hidden | QDir::Files))
            growing = growing || (file.fileName().endsWith(".part") && file.size() > (8 << 20));
        QThread::msleep(1);
    }
    ASSERT_TRUE(growing) << "the copy finished before it could be cut off";
    samba().stop();
    ASSERT_EQ(std::future_status::ready, copier.wait_for(30s));
    const int result = copier.get();

    EXPECT_NE(0, result);
    EXPECT_EQ("old target", read(local("big.bin")));
    EXPECT_EQ(QStringList({"big.bin"}),
              QDir(m_device.path()).entryList(QDir::Files | QDir::Hidden));
}

// A session's copies run a few at once ahead of the one being reported, but
// their results come back in list order, a failed one at its own place, and a
// copy beyond the depth never starts before the ones before it are taken.
TEST_F(ShareFilesTest, CopiesAheadComeBackInListOrder)
{
    QList<CopyRequest> copies;
    for (int i = 0; i < 12; ++i) {
        const QString name = QString("f%1.txt").arg(i);
        if (i != 5) // the sixth source is missing
            write(local("Ahead/" + name), name.toUtf8());
        copies.append({"\\Ahead\\" + name, share(name)});
    }
    {
        CopyAhead ahead(services.files(), copies, 3);
        for (int i = 0; i < 8; ++i) {
            SCOPED_TRACE(i);
            const int result = ahead.takeNext().error;
            EXPECT_EQ(i == 5 ? PlatformError::FileNotFound : 0, result);
            if (i != 5) {
                EXPECT_EQ(QString("f%1.txt").arg(i).toUtf8(),
                          read(onServer(QString("f%1.txt").arg(i))));
            }
        }
        // Left with copies still running: the end waits for them, and
        // starts none beyond the depth.
    }
    const QStringList left = QDir(samba().shareFolder()).entryList(QDir::Files | QDir::Hidden);
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        const QString name = QString("f%1.txt").arg(i);
        if (i < 8) {
            EXPECT_EQ(i != 5, left.contains(name));
        } else if (i >= 8 + 3) {
            EXPECT_FALSE(left.contains(name));
        }
    }
    EXPECT_EQ(0, left.filter(".part").size());

    // Every copy replaces its target; a list of big files arrives whole too.
    QByteArray big(3 << 20, 'b');
    write(local("Ahead/f0.txt"), big);
    write(local("Ahead/f1.txt"), big + big + big + big);
    CopyAhead again(services.files(), copies.mid(0, 2));
    EXPECT_EQ(0, again.takeNext().error);
    EXPECT_EQ(0, again.takeNext().error);
    EXPECT_TRUE(read(onServer("f0.txt")) == big);
    EXPECT_TRUE(read(onServer("f1.txt")) == big + big + big + big);
    EXPECT_EQ(PlatformError::InvalidParameter, again.takeNext().error);
}

// Big files copied at once share the few extra sessions between them; those
// that get none move their blocks through their own: all arrive whole.
TEST_F(ShareFilesTest, BigFilesCopiedAtOnceArriveWholeEveryWay)
{
    const int count = 4;
    QList<CopyRequest> puts, gets;
    QList<QByteArray> contents;
    for (int i = 0; i < count; ++i) {
        QByteArray content((9 << 20) + i, Qt::Uninitialized);
        for (qsizetype at = 0; at < content.size(); ++at)
            content[at] = char((at + i) % 251);
        contents.append(content);
        const QString name = QString("big%1.bin").arg(i);
        write(local("Big/" + name), content);
        puts.append({"\\Big\\" + name, share(name)});
        gets.append({share(name), "\\Back\\" + name});
    }
    QDir().mkpath(local("Back"));
    for (const QList<CopyRequest>& copies : {puts, gets}) {
        CopyAhead ahead(services.files(), copies, count);
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(0, ahead.takeNext().error) << i;
    }
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(read(onServer(QString("big%1.bin").arg(i))) == contents.at(i));
        EXPECT_TRUE(read(local(QString("Back/big%1.bin").arg(i))) == contents.at(i));
    }
}

// A run of copies into one folder keeps what holds a copy's name: an empty
// folder there is never replaced by the file.
// Past a few copies into one folder, a copy trusts a listing of the folder
// instead of asking about each name: what held a name before the run must
// still be kept, and a name copied twice is replaced the second time.
TEST_F(ShareFilesTest, ManyCopiesIntoOneFolderKeepWhatHoldsTheirNames)
{
    const int count = 40;
    QDir().mkpath(onServer("Many/f20.txt")); // an empty folder
    write(onServer("Many/F30.TXT"), "keep");
    ASSERT_TRUE(samba().setReadOnly("Many/F30.TXT"));
    for (int i = 0; i < count; ++i)
        write(local(QString("Many/f%1.txt").arg(i)), QByteArray::number(i));
    const auto copy = [&](int i) {
        const QString name = QString("f%1.txt").arg(i);
        return services.files().copyFile("\\Many\\" + name, share("Many\\" + name), false);
    };
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        const int result = copy(i);
        if (i == 20 || i == 30) {
            EXPECT_EQ(PlatformError::AccessDenied, result);
        } else {
            EXPECT_EQ(0, result);
            EXPECT_EQ(QByteArray::number(i), read(onServer(QString("Many/f%1.txt").arg(i))));
        }
    }
    EXPECT_TRUE(QFileInfo(onServer("Many/f20.txt")).isDir());
    EXPECT_EQ("keep", read(onServer("Many/F30.TXT")));

    write(local("Many/f35.txt"), "again");
    EXPECT_EQ(0, copy(35));
    EXPECT_EQ("again", read(onServer("Many/f35.txt")));
}

// In a run of many copies into one folder, the parts go to a folder of their
// own, made when needed and removed when the program signs off from the
// share; a folder or file of that name that the program did not make stays.
TEST_F(ShareFilesTest, PartsOfALongRunGoToAFolderOfTheirOwn)
{
    const QString partFolder = ".tarvo-parts";
    const int count = 40;
    QByteArray big((9 << 20) + 17, Qt::Uninitialized); // through the parallel writers
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char(i % 251);
    for (const char* folder : {"Run", "Blocked", "Theirs"}) {
        for (int i = 0; i < count; ++i)
            write(local(QString("%1/f%2.txt").arg(folder).arg(i)), QByteArray::number(i));
        write(local(QString("%1/big.bin").arg(folder)), big);
        setWriteTime(local(QString("%1/big.bin").arg(folder)), 1'650'000'000, 500'000'000);
        QDir().mkpath(onServer(folder));
    }
    write(onServer("Blocked/" + partFolder), "a file of that name");
    write(onServer("Theirs/" + partFolder + "/mine.txt"), "someone else's");

    const auto copyAll = [&](const QString& folder, const std::function<void(int)>& between) {
        for (int i = 0; i < count; ++i) {
            SCOPED_TRACE(folder.toStdString() + QString(" f%1").arg(i).toStdString());
            const QString name = QString("\\f%1.txt").arg(i);
            ASSERT_EQ(0,
                      services.files().copyFile('\\' + folder + name, share(folder + name), false));
            ASSERT_EQ(QByteArray::number(i),
                      read(onServer(QString("%1/f%2.txt").arg(folder).arg(i))));
            if (i == count / 2) {
                ASSERT_EQ(0, services.files().copyFile('\\' + folder + "\\big.bin",
                                                       share(folder + "\\big.bin"), false));
            }
            between(i);
        }
        EXPECT_EQ(big, read(onServer(folder + "/big.bin")));
        FileInfo source, target;
        ASSERT_EQ(0, services.files().readAttributes('\\' + folder + "\\big.bin", source));
        ASSERT_EQ(0, services.files().readAttributes(share(folder + "\\big.bin"), target));
        EXPECT_EQ(source.LastWriteTime, target.LastWriteTime);
    };

    // Someone removes the part folder halfway: the next copy makes it again.
    copyAll("Run", [&](int i) {
        if (i == 30) {
            EXPECT_TRUE(QDir(onServer("Run/" + partFolder)).isEmpty());
            EXPECT_TRUE(QDir(onServer("Run")).rmdir(partFolder));
        }
    });
    EXPECT_TRUE(QFileInfo(onServer("Run/" + partFolder)).isDir());
    EXPECT_TRUE(QDir(onServer("Run/" + partFolder)).isEmpty());
    copyAll("Blocked", [](int) {});
    copyAll("Theirs", [](int) {});
    EXPECT_EQ(count + 2, QDir(onServer("Run"))
                             .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                             .size());

    ASSERT_EQ(0, services.connections().cancelConnection("S", true, false));
    EXPECT_FALSE(QFileInfo::exists(onServer("Run/" + partFolder)));
    EXPECT_EQ("a file of that name", read(onServer("Blocked/" + partFolder)));
    EXPECT_EQ("someone else's", read(onServer("Theirs/" + partFolder + "/mine.txt")));
    EXPECT_EQ(QStringList({"mine.txt"}),
              QDir(onServer("Theirs/" + partFolder))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));

    // A process that ends without signing off removes its part folders too.
    {
        ProcessServices other(m_device.path());
        ASSERT_EQ(0, other.connections().addConnection("T", samba().shareText(), "tester",
                                                       samba().password(), true));
        for (int i = 0; i < count; ++i) {
            const QString name = QString("\\f%1.txt").arg(i);
            ASSERT_EQ(0, other.files().copyFile("\\Run" + name, share("Run" + name), false));
        }
        EXPECT_TRUE(QFileInfo(onServer("Run/" + partFolder)).isDir());
    }
    EXPECT_FALSE(QFileInfo::exists(onServer("Run/" + partFolder)));
}

} // namespace
} // namespace tarvo
