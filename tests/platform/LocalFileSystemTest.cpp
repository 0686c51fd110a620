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
        root.write("Docs/plain.txt", "12345");
        root.write("Docs/.hidden", "h");
        root.write("Docs/locked.txt", "old");
        ::chmod(QFile::encodeName(root.filePath("Docs/locked.txt")), 0444);
        QDir().mkpath(root.filePath("Docs/folder.txt"));
        ::mkfifo(QFile::encodeName(root.filePath("Docs/pipe.txt")), 0644);
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

struct Attributes
{
    const char* name;
    const char* path;
    quint32 attributes;
    quint64 size;
};

void PrintTo(const Attributes& row, std::ostream* out)
{
    *out << row.name;
}

class AttributesTest : public LocalFileSystemTest, public ::testing::WithParamInterface<Attributes>
{};

TEST_P(AttributesTest, ShowFolderReadOnlyAndHiddenAndNothingElse)
{
    FileInfo info;
    ASSERT_EQ(files.readAttributes(GetParam().path, info), 0);
    EXPECT_EQ(info.Attributes, GetParam().attributes);
    EXPECT_EQ(info.Size, GetParam().size);
}

INSTANTIATE_TEST_SUITE_P(
    Files, AttributesTest,
    ::testing::Values(Attributes{"Folder", "\\Docs", FileAttribute::Directory, 0},
                      Attributes{"Plain", "\\Docs\\plain.txt", 0, 5},
                      Attributes{"DotFile", "/Docs/.hidden", FileAttribute::Hidden, 1},
                      Attributes{"ReadOnly", "\\Docs\\locked.txt", FileAttribute::ReadOnly, 3}),
    [](const auto& info) { return std::string(info.param.name); });

// Operations that cannot be done give their code and change nothing.
struct Refusal
{
    const char* name;
    int (*operation)(LocalFileSystem& files);
    int error;
};

void PrintTo(const Refusal& row, std::ostream* out)
{
    *out << row.name;
}

class RefusalTest : public LocalFileSystemTest, public ::testing::WithParamInterface<Refusal>
{};

TEST_P(RefusalTest, GivesItsCodeAndChangesNothing)
{
    const auto before = tree();
    EXPECT_EQ(GetParam().operation(files), GetParam().error);
    EXPECT_EQ(tree(), before);
}

const FileInfo Sent = {}; // a version of a file that no file has now

INSTANTIATE_TEST_SUITE_P(
    Operations, RefusalTest,
    ::testing::Values(
        Refusal{"AttributesOfAMissingFile",
                [](LocalFileSystem& f) {
                    FileInfo info;
                    return f.readAttributes("\\Docs\\none.txt", info);
                },
                PlatformError::FileNotFound},
        Refusal{"ListingAMissingFolder",
                [](LocalFileSystem& f) { return f.listFolder("\\None", [](auto&) { return 1; }); },
                PlatformError::PathNotFound},
        Refusal{"CopyOfAMissingFile",
                [](LocalFileSystem& f) { return f.copyFile("\\Docs\\none.txt", "\\a.txt", 0); },
                PlatformError::FileNotFound},
        Refusal{"CopyIntoAMissingFolder",
                [](LocalFileSystem& f) { return f.copyFile("\\Docs\\plain.txt", "\\No\\a", 0); },
                PlatformError::PathNotFound},
        Refusal{"CopyOfAFolder",
                [](LocalFileSystem& f) { return f.copyFile("\\Docs\\folder.txt", "\\a", 0); },
                PlatformError::AccessDenied},
        // Opened without waiting for a writer: a test that hangs here has failed.
        Refusal{"CopyOfANamedPipe",
                [](LocalFileSystem& f) { return f.copyFile("\\Docs\\pipe.txt", "\\a", 0); },
                PlatformError::AccessDenied},
        Refusal{"CopyOntoAReadOnlyFile",
                [](LocalFileSystem& f) {
                    return f.copyFile("\\Docs\\plain.txt", "\\Docs\\locked.txt", false);
                },
                PlatformError::AccessDenied},
        Refusal{"CopyOntoAFolder",
                [](LocalFileSystem& f) {
                    return f.copyFile("\\Docs\\plain.txt", "\\Docs\\folder.txt", false);
                },
                PlatformError::AccessDenied},
        Refusal{"CopyThatMustNotReplace",
                [](LocalFileSystem& f) {
                    return f.copyFile("\\Docs\\plain.txt", "\\Docs\\.hidden", true);
                },
                PlatformError::FileExists},
        Refusal{"MoveOntoAFile",
                [](LocalFileSystem& f) { return f.moveFile("\\Docs\\plain.txt", "/Docs/.hidden"); },
                PlatformError::FileExists},
        Refusal{"MoveOfAChangedFile",
                [](LocalFileSystem& f) { return f.moveFile("\\Docs\\plain.txt", "\\a", &Sent); },
                PlatformError::SourceChanged},
        Refusal{"DeleteOfAChangedFile",
                [](LocalFileSystem& f) { return f.deleteFile("\\Docs\\plain.txt", &Sent); },
                PlatformError::SourceChanged},
        Refusal{"DeleteOfAReadOnlyFile",
                [](LocalFileSystem& f) { return f.deleteFile("\\Docs\\locked.txt"); },
                PlatformError::AccessDenied},
        Refusal{"DeleteOfAFolder",
                [](LocalFileSystem& f) { return f.deleteFile("\\Docs\\folder.txt"); },
                PlatformError::AccessDenied}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LocalFileSystemTest, ListingNamesEveryEntryButDotAndDotDot)
{
    DirEntryList entries;
    ASSERT_EQ(files.listFolder("\\Docs", entries), 0);
    QStringList names;
    for (const DirEntry& entry : entries)
        names.append(entry.Name);
    names.sort();
    EXPECT_EQ(names, QStringList({".hidden", "folder.txt", "locked.txt", "pipe.txt", "plain.txt"}));
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
    EXPECT_EQ(QDir(root.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"a.bin", "empty.txt"}));
}

} // namespace
} // namespace tarvo
