#include "platform/local/LocalFileSystem.h"

#include "platform/ErrorCodes.h"
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
    // Every file under the root with its bytes: what a failed operation must leave.
    QMap<QString, QByteArray> tree() const
    {
        QMap<QString, QByteArray> files;
        for (QDirIterator it(root.path(), QDir::AllEntries | QDir::Hidden | QDir::System,
                             QDirIterator::Subdirectories);
             it.hasNext();) {
            const QString path = it.next();
            files.insert(path, QFileInfo(path).isFile() ? test::TempFolder::read(path) : "");
        }
        return files;
    }

    test::TempFolder root;
    LocalFileSystem files{DevicePaths(root.path())};
};

// Operations that cannot be done give their code and change nothing.
enum class Op { Attributes, List, Copy, CopyNew, Move, MoveSent, Delete, DeleteSent };

struct Refusal
{
    const char* name;
    Op op;
    const char* path;
    const char* target;
    int error;
};

void PrintTo(const Refusal& row, std::ostream* out)
{
    *out << row.name;
}

class RefusalTest : public LocalFileSystemTest, public ::testing::WithParamInterface<Refusal>
{
protected:
    int perform(const Refusal& row)
    {
        const FileInfo sent = {}; // a version that no file has now
        FileInfo info;
        switch (row.op) {
        case Op::Attributes:
            return files.readAttributes(row.path, info);
        case Op::List:
            return files.listFolder(row.path, [](const DirEntry&) { return true; });
        case Op::Copy:
        case Op::CopyNew:
            return files.copyFile(row.path, row.target, row.op == Op::CopyNew);
        case Op::Move:
        case Op::MoveSent:
            return files.moveFile(row.path, row.target, row.op == Op::MoveSent ? &sent : nullptr);
        case Op::Delete:
        case Op::DeleteSent:
            return files.deleteFile(row.path, row.op == Op::DeleteSent ? &sent : nullptr);
        }
        return -1;
    }
};

TEST_P(RefusalTest, GivesItsCodeAndChangesNothing)
{
    const auto before = tree();
    EXPECT_EQ(perform(GetParam()), GetParam().error);
    EXPECT_EQ(tree(), before);
}

using enum Op;
using namespace PlatformError;
// A named pipe is opened without waiting for a writer: a test that hangs on it has failed.
INSTANTIATE_TEST_SUITE_P(
    Operations, RefusalTest,
    ::testing::Values(
        Refusal{"AttributesOfAMissingFile", Attributes, "\\no", "", FileNotFound},
        Refusal{"AttributesInAMissingFolder", Attributes, "\\None\\a", "", PathNotFound},
        Refusal{"ListingAMissingFolder", List, "\\None", "", PathNotFound},
        Refusal{"CopyOfAMissingFile", Copy, "\\no", "\\a", FileNotFound},
        Refusal{"CopyIntoAMissingFolder", Copy, "\\plain.txt", "\\No\\a", PathNotFound},
        Refusal{"CopyOfAFolder", Copy, "\\folder", "\\a", AccessDenied},
        Refusal{"CopyOfANamedPipe", Copy, "\\pipe", "\\a", AccessDenied},
        Refusal{"CopyOntoAReadOnlyFile", Copy, "\\plain.txt", "\\locked.txt", AccessDenied},
        Refusal{"CopyOntoAFolder", Copy, "\\plain.txt", "\\folder", AccessDenied},
        Refusal{"CopyThatMustNotReplace", CopyNew, "\\plain.txt", "/.hidden", FileExists},
        Refusal{"MoveOntoAFile", Move, "\\plain.txt", "/.hidden", FileExists},
        Refusal{"MoveOfAChangedFile", MoveSent, "\\plain.txt", "\\a", SourceChanged},
        Refusal{"DeleteOfAChangedFile", DeleteSent, "\\plain.txt", "", SourceChanged},
        Refusal{"DeleteOfAReadOnlyFile", Delete, "\\locked.txt", "", AccessDenied},
        Refusal{"DeleteOfAFolder", Delete, "\\folder", "", AccessDenied}),
    [](const auto& info) { return std::string(info.param.name); });

// A listing names every entry but "." and "..", with the attributes a Linux
// file has: folder, read-only when the owner cannot write, hidden for a dot.
TEST_F(LocalFileSystemTest, ListingShowsFolderReadOnlyAndHiddenAndNothingElse)
{
    QMap<QString, quint32> listed;
    ASSERT_EQ(files.listFolder("/",
                               [&](const DirEntry& entry) {
                                   listed.insert(entry.Name, entry.Info.Attributes);
                                   return true;
                               }),
              0);
    EXPECT_EQ(listed, (QMap<QString, quint32>{{".hidden", FileAttribute::Hidden},
                                              {"folder", FileAttribute::Directory},
                                              {"locked.txt", FileAttribute::ReadOnly},
                                              {"pipe", 0},
                                              {"plain.txt", 0}}));
}

TEST_F(LocalFileSystemTest, CopiesKeepBytesAndTheLastWriteTimeToTheMicrosecond)
{
    QByteArray content((3 << 20) + 17, Qt::Uninitialized); // several blocks, all different
    for (qsizetype i = 0; i < content.size(); ++i)
        content[i] = char(i % 251);
    root.write("From/a.bin", content);
    root.write("From/empty.txt", "");
    const timespec times[2] = {{1'700'000'000, 123'456'789}, {1'700'000'000, 123'456'789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(root.filePath("From/a.bin")), times, 0), 0);
    FileInfo source, copied;
    ASSERT_EQ(files.readAttributes("\\From\\a.bin", source), 0);
    // 2023-11-14 22:13:20.123456 UTC in 100-ns units since 1601: what a share keeps.
    EXPECT_EQ(source.LastWriteTime, 133444736001234560ull);

    // Paths never lead out of the device root.
    ASSERT_EQ(files.copyFile("\\..\\From\\a.bin", "\\..\\..\\a.bin", true), 0);
    ASSERT_EQ(files.copyFile("\\From\\empty.txt", "\\empty.txt", true), 0);
    ASSERT_EQ(files.readAttributes("\\a.bin", copied), 0);
    EXPECT_EQ(copied.LastWriteTime, source.LastWriteTime);
    EXPECT_TRUE(test::TempFolder::read(root.filePath("a.bin")) == content);
    EXPECT_TRUE(QFileInfo(root.filePath("empty.txt")).isFile());
    EXPECT_TRUE(QDir(root.path()).entryList({"*tarvo*"}, QDir::Files | QDir::Hidden).isEmpty());
}

} // namespace
} // namespace tarvo
