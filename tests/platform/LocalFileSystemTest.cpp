#include "platform/local/LocalFileSystem.h"

#include "platform/ErrorCodes.h"
#include "platform/FileTimes.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sys/resource.h>
#include <sys/stat.h>

namespace tarvo {
namespace {

class LocalFileSystemTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_root.isValid()); }

    QString native(const QString& relative) const { return m_root.filePath(relative); }

    void write(const QString& relative, const QByteArray& content)
    {
        QDir().mkpath(QFileInfo(native(relative)).path());
        QFile file(native(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QByteArray read(const QString& relative) const
    {
        QFile file(native(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // Sets a last-write time with nanoseconds that no share could keep.
    void setWriteTime(const QString& relative, time_t seconds, long nanoseconds)
    {
        const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
        ASSERT_EQ(0,
                  ::utimensat(AT_FDCWD, QFile::encodeName(native(relative)).constData(), times, 0));
    }

    QStringList namesIn(const QString& folder)
    {
        DirEntryList entries;
        EXPECT_EQ(0, files.listFolder(folder, entries));
        QStringList names;
        for (const DirEntry& entry : entries)
            names.append(entry.Name);
        names.sort();
        return names;
    }

    QTemporaryDir m_root;
    LocalFileSystem files{DevicePaths(m_root.path())};
};

TEST_F(LocalFileSystemTest, AttributesShowFolderReadOnlyAndHiddenAndNothingElse)
{
    write("Docs/plain.txt", "12345");
    write("Docs/.hidden", "x");
    write("Docs/locked.txt", "x");
    ::chmod(QFile::encodeName(native("Docs/locked.txt")).constData(), 0444);

    const struct
    {
        const char* path;
        quint32 attributes;
        quint64 size;
    } cases[] = {
        {"\\Docs", FileAttribute::Directory, 0},
        {"\\Docs\\plain.txt", 0, 5},
        {"/Docs/.hidden", FileAttribute::Hidden, 1},
        {"\\Docs\\locked.txt", FileAttribute::ReadOnly, 1},
    };
    for (const auto& c : cases) {
        FileInfo info;
        ASSERT_EQ(0, files.readAttributes(QString::fromUtf8(c.path), info)) << c.path;
        EXPECT_EQ(c.attributes, info.Attributes) << c.path;
        EXPECT_EQ(c.size, info.Size) << c.path;
    }
}

TEST_F(LocalFileSystemTest, TimesAreFileTimesCutToMicroseconds)
{
    write("a.txt", "a");
    setWriteTime("a.txt", 1'700'000'000, 123'456'789);
    FileInfo info;
    ASSERT_EQ(0, files.readAttributes("\\a.txt", info));
    // 2023-11-14 22:13:20.123456 UTC in 100-ns units since 1601.
    EXPECT_EQ(133444736001234560ull, info.LastWriteTime);
    EXPECT_EQ(133444736001234560ull, info.LastAccessTime);
}

TEST_F(LocalFileSystemTest, MissingFilesAndFoldersGiveTheirCodes)
{
    write("Docs/a.txt", "a");
    FileInfo info;
    EXPECT_EQ(PlatformError::FileNotFound, files.readAttributes("\\Docs\\none.txt", info));
    EXPECT_EQ(PlatformError::PathNotFound, files.readAttributes("\\None\\a.txt", info));
    EXPECT_EQ(PlatformError::PathNotFound,
              files.listFolder("\\None", [](const DirEntry&) { return true; }));
    EXPECT_FALSE(files.canOpenForReading("\\Docs\\none.txt"));
    EXPECT_TRUE(files.canOpenForReading("\\Docs\\a.txt"));
    EXPECT_TRUE(files.canOpenForReading("\\Docs"));
}

TEST_F(LocalFileSystemTest, ListingNamesEveryEntryButDotAndDotDot)
{
    write("Docs/a.txt", "a");
    write("Docs/.b", "b");
    QDir().mkpath(native("Docs/Sub"));
    EXPECT_EQ(QStringList({".b", "Sub", "a.txt"}), namesIn("\\Docs"));
    EXPECT_EQ(QStringList(), namesIn("\\Docs\\Sub"));
}

TEST_F(LocalFileSystemTest, CopyKeepsContentAndLastWriteTimeAndLeavesNoPartFile)
{
    // Several copy blocks, each with other bytes, and a short last one.
    QByteArray content((3 << 20) + 17, Qt::Uninitialized);
    for (qsizetype i = 0; i < content.size(); ++i)
        content[i] = char(i % 251);
    write("From/a.txt", content);
    write("From/empty.txt", "");
    setWriteTime("From/a.txt", 1'600'000'000, 987'654'321);
    QDir().mkpath(native("To"));
    ASSERT_EQ(0, files.copyFile("\\From\\a.txt", "\\To\\a.txt", true));

    EXPECT_EQ(read("From/a.txt"), read("To/a.txt"));
    FileInfo source, target;
    ASSERT_EQ(0, files.readAttributes("\\From\\a.txt", source));
    ASSERT_EQ(0, files.readAttributes("\\To\\a.txt", target));
    EXPECT_EQ(source.LastWriteTime, target.LastWriteTime);
    ASSERT_EQ(0, files.copyFile("\\From\\empty.txt", "\\To\\empty.txt", true));
    EXPECT_EQ("", read("To/empty.txt"));
    EXPECT_EQ(QStringList({"a.txt", "empty.txt"}), namesIn("\\To"));
}

TEST_F(LocalFileSystemTest, CopyFailingIfExistsKeepsTheTargetAndReplacingReplacesIt)
{
    write("a.txt", "new");
    write("b.txt", "old");
    EXPECT_EQ(PlatformError::FileExists, files.copyFile("\\a.txt", "\\b.txt", true));
    EXPECT_EQ("old", read("b.txt"));
    EXPECT_EQ(0, files.copyFile("\\a.txt", "\\b.txt", false));
    EXPECT_EQ("new", read("b.txt"));
    EXPECT_EQ(QStringList({"a.txt", "b.txt"}), namesIn("\\"));
}

TEST_F(LocalFileSystemTest, CopyErrors)
{
    write("a.txt", "a");
    QDir().mkpath(native("Folder"));
    const struct
    {
        const char* source;
        const char* target;
        int error;
    } cases[] = {
        {"\\none.txt", "\\b.txt", PlatformError::FileNotFound},
        {"\\a.txt", "\\No\\Such\\b.txt", PlatformError::PathNotFound},
        {"\\Folder", "\\b.txt", PlatformError::AccessDenied},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.error, files.copyFile(c.source, c.target, false)) << c.source;
        EXPECT_FALSE(QFile::exists(native("b.txt")));
    }
}

// A write that fails half-way (here: the file size limit, as a full disk
// would) leaves the old target as it was and no partial file.
TEST_F(LocalFileSystemTest, CopyThatFailsHalfWayLeavesTheOldTarget)
{
    write("big.bin", QByteArray(4 << 20, 'b'));
    write("Out/big.bin", "old target");
    rlimit previous{};
    ASSERT_EQ(0, ::getrlimit(RLIMIT_FSIZE, &previous));
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 1 << 20;
    ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &small));
    const int result = files.copyFile("\\big.bin", "\\Out\\big.bin", false);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(PlatformError::DiskFull, result);
    EXPECT_EQ("old target", read("Out/big.bin"));
    EXPECT_EQ(QStringList({"big.bin"}), namesIn("\\Out"));
}

TEST_F(LocalFileSystemTest, MoveRefusesAnExistingTargetAndKeepsTheSource)
{
    write("a.txt", "a");
    write("Sent/a.txt", "older");
    EXPECT_EQ(PlatformError::FileExists, files.moveFile("\\a.txt", "\\Sent\\a.txt"));
    EXPECT_EQ("a", read("a.txt"));
    EXPECT_EQ("older", read("Sent/a.txt"));

    EXPECT_EQ(0, files.moveFile("\\a.txt", "\\Sent\\b.txt"));
    EXPECT_FALSE(QFile::exists(native("a.txt")));
    EXPECT_EQ("a", read("Sent/b.txt"));
    EXPECT_EQ(PlatformError::FileNotFound, files.moveFile("\\a.txt", "\\Sent\\c.txt"));
}

TEST_F(LocalFileSystemTest, DeleteRefusesFoldersAndReadOnlyFiles)
{
    write("a.txt", "a");
    write("locked.txt", "x");
    ::chmod(QFile::encodeName(native("locked.txt")).constData(), 0444);
    QDir().mkpath(native("Folder"));

    EXPECT_EQ(PlatformError::AccessDenied, files.deleteFile("\\locked.txt"));
    EXPECT_EQ(PlatformError::AccessDenied, files.deleteFile("\\Folder"));
    EXPECT_EQ(PlatformError::FileNotFound, files.deleteFile("\\none.txt"));
    EXPECT_EQ(0, files.deleteFile("\\a.txt"));
    EXPECT_EQ(QStringList({"Folder", "locked.txt"}), namesIn("\\"));
}

TEST_F(LocalFileSystemTest, PathsNeverLeaveTheDeviceRoot)
{
    write("inside.txt", "in");
    EXPECT_EQ(0, files.copyFile("\\..\\..\\inside.txt", "\\..\\copy.txt", false));
    EXPECT_EQ("in", read("copy.txt"));
}

} // namespace
} // namespace tarvo
