#include "platform/local/LocalFileSystem.h"

#include "platform/ErrorCodes.h"
#include "platform/FileTimes.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/TempFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <QDirIterator>
#include <sys/stat.h>

namespace tarvo {
namespace {

// A device folder with a file of each kind the program meets.
class LocalFileSystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root.write("plain.txt", "12345");
        root.write(".hidden", "h");
        root.write("locked.txt", "old");
        ::chmod(QFile::encodeName(root.filePath("locked.txt")), 0444);
        QDir().mkpath(root.filePath("folder"));
        ::mkfifo(QFile::encodeName(root.filePath("pipe")), 0644);
    }

    test::TempFolder root;
    LocalFileSystem files{DevicePaths(root.path())};
};

// Operations that cannot be done give their code and change nothing.
// A row: its name, the operation, its path and target, the code.
using Refusal = std::tuple<const char*, QString, const char*, const char*, int>;

int Perform(FileSystem& files, const QString& op, const char* path, const char* target)
{
    FileInfo info; // also the version sent, which no file has now
    if (op == "attributes")
        return files.readAttributes(path, info);
    if (op.startsWith("copy"))
        return files.copyFile(path, target, op == "copy new");
    if (op.startsWith("move"))
        return files.moveFile(path, target, op == "move sent" ? &info : nullptr);
    return files.deleteFile(path, op == "delete sent" ? &info : nullptr);
}

class RefusalTest : public LocalFileSystemTest, public ::testing::WithParamInterface<Refusal>
{};

// The in-memory file system that the run's tests decide on, set up as the
// device folder, refuses the same operations with the same codes and changes
// nothing either. It has no named pipes.
TEST_P(RefusalTest, GivesItsCodeAndChangesNothing)
{
    const auto tree = [this] {
        QMap<QString, QByteArray> files;
        for (QDirIterator it(root.path(), QDir::AllEntries | QDir::Hidden | QDir::System,
                             QDirIterator::Subdirectories);
             it.hasNext();) {
            const QString path = it.next();
            files.insert(path, QFileInfo(path).isFile() ? test::TempFolder::read(path) : "");
        }
        return files;
    };
    const auto& [name, op, path, target, error] = GetParam();
    const auto before = tree();
    EXPECT_EQ(Perform(files, op, path, target), error);
    EXPECT_EQ(tree(), before);

    if (QByteArray(path) == "\\pipe")
        return;
    test::MemoryFileSystem model;
    model.addFile("\\plain.txt", "12345");
    model.addFile("\\.hidden", "h");
    model.addFile("\\locked.txt", "old", test::MemoryFileSystem::DefaultTime,
                  FileAttribute::ReadOnly);
    model.addFolder("\\folder");
    EXPECT_EQ(Perform(model, op, path, target), error) << "in memory";
    EXPECT_EQ(model.journal(), QStringList());
    EXPECT_EQ(model.names("\\"), QStringList({".hidden", "folder", "locked.txt", "plain.txt"}));
}

using namespace PlatformError;
// A named pipe is opened without waiting for a writer: a test that hangs on it has failed.
INSTANTIATE_TEST_SUITE_P(
    Operations, RefusalTest,
    ::testing::Values(
        Refusal{"AttributesInAMissingFolder", "attributes", "\\None\\a", "", PathNotFound},
        Refusal{"CopyOfANamedPipe", "copy", "\\pipe", "\\a", AccessDenied},
        Refusal{"CopyOfAFolder", "copy", "\\folder", "\\a", AccessDenied},
        Refusal{"CopyOntoAReadOnlyFile", "copy", "\\plain.txt", "\\locked.txt", AccessDenied},
        Refusal{"CopyThatMustNotReplace", "copy new", "\\plain.txt", "/.hidden", FileExists},
        Refusal{"MoveOntoAFile", "move", "\\plain.txt", "/.hidden", FileExists},
        Refusal{"MoveOfAChangedFile", "move sent", "\\plain.txt", "\\a", SourceChanged},
        Refusal{"DeleteOfAChangedFile", "delete sent", "\\plain.txt", "", SourceChanged},
        Refusal{"DeleteOfAReadOnlyFile", "delete", "\\locked.txt", "", AccessDenied},
        Refusal{"DeleteOfAFolder", "delete", "\\folder", "", AccessDenied}),
    [](const auto& info) { return std::string(std::get<0>(info.param)); });

// A listing names every entry but "." and "..", with the attributes a Linux
// file has: folder, read-only when the owner cannot write, hidden for a dot,
// and not plain for a link or a pipe. A name that is no valid text, or holds
// the device paths' separator, is listed for what it is, as one that cannot
// be used. A copy keeps the bytes and the last-write time to the
// microsecond, and paths never lead out of the device root.
TEST_F(LocalFileSystemTest, ListsAttributesAndCopiesKeepBytesAndTimes)
{
    ::symlink("plain.txt", QFile::encodeName(root.filePath("link.txt")));
    for (const QByteArray name : {"caf\xE9.txt", "a\\b.txt"})
        ::close(::open(QFile::encodeName(root.path()) + '/' + name, O_CREAT | O_WRONLY, 0644));
    QMap<QString, quint32> listed;
    QStringList unusable;
    ASSERT_EQ(files.listFolder("/",
                               [&](const DirEntry& entry) {
                                   if (entry.NameUnusable)
                                       unusable.append(entry.Name);
                                   else
                                       listed.insert(entry.Name, entry.Info.Attributes);
                                   return true;
                               }),
              0);
    EXPECT_EQ(listed, (QMap<QString, quint32>{{".hidden", FileAttribute::Hidden},
                                              {"folder", FileAttribute::Directory},
                                              {"link.txt", FileAttribute::NotPlain},
                                              {"locked.txt", FileAttribute::ReadOnly},
                                              {"pipe", FileAttribute::NotPlain},
                                              {"plain.txt", 0}}));
    unusable.sort();
    EXPECT_EQ(unusable, QStringList({"a\\b.txt", "caf\\xE9.txt"}));

    QByteArray content((3 << 20) + 17, Qt::Uninitialized); // several blocks, all different
    for (qsizetype i = 0; i < content.size(); ++i)
        content[i] = char(i % 251);
    root.write("From/a.bin", content);
    const timespec times[2] = {{1'700'000'000, 123'456'789}, {1'700'000'000, 123'456'789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(root.filePath("From/a.bin")), times, 0), 0);
    FileInfo source, copied;
    ASSERT_EQ(files.readAttributes("\\From\\a.bin", source), 0);
    // 2023-11-14 22:13:20.123456 UTC in 100-ns units since 1601: what a share keeps.
    EXPECT_EQ(source.LastWriteTime, 133444736001234560ull);
    struct Blocks : CopyWatcher
    {
        void blockCopied(quint64 done, quint64) override { arrived.append(done); }
        QList<quint64> arrived;
    } real, model;
    ASSERT_EQ(files.copy({"\\..\\From\\a.bin", "\\..\\..\\a.bin", true, nullptr, &real}).error, 0);
    ASSERT_EQ(files.readAttributes("\\a.bin", copied), 0);
    EXPECT_EQ(copied.LastWriteTime, source.LastWriteTime);
    EXPECT_TRUE(test::TempFolder::read(root.filePath("a.bin")) == content);
    EXPECT_TRUE(QDir(root.path()).entryList({"*tarvo*"}, QDir::Files | QDir::Hidden).isEmpty());
    // The in-memory file system moves the same blocks.
    test::MemoryFileSystem memory;
    memory.addFile("\\From\\a.bin", content);
    ASSERT_EQ(memory.copy({"\\From\\a.bin", "\\a.bin", true, nullptr, &model}).error, 0);
    EXPECT_EQ(model.arrived, real.arrived);
}

// A sent file is deleted only while it is the very file that was sent: not
// once it was saved again with its old time set back. (One that another
// file of the same size and time replaced: SentVersionTest.)
TEST_F(LocalFileSystemTest, ADeleteOfASentFileActsOnlyOnThatFile)
{
    FileInfo version;
    ASSERT_EQ(files.readAttributes("\\plain.txt", version), 0);
    root.write("plain.txt", "abcde");
    const timespec time = timespecFromFileTime(version.LastWriteTime);
    const timespec times[2] = {time, time};
    ::utimensat(AT_FDCWD, QFile::encodeName(root.filePath("plain.txt")).constData(), times, 0);
    EXPECT_EQ(files.deleteFile("\\plain.txt", &version), PlatformError::SourceChanged);
    ASSERT_EQ(files.readAttributes("\\plain.txt", version), 0);
    EXPECT_EQ(files.deleteFile("\\plain.txt", &version), 0);
}

} // namespace
} // namespace tarvo
