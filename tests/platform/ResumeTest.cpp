// A big file's copy that is cut off leaves its part and the part's note; the
// next copy of the same source to the same target goes on from the part's end
// only while the source is the version the note names, the part is no longer
// than the source and its last block reads as the source does. The local
// store over a temporary folder: the decisions are the verified copy's and
// the store's part handling, which the in-memory file system stands in for
// as a whole and never runs.
#include "platform/copy/PartNames.h"
#include "platform/ErrorCodes.h"
#include "platform/local/LocalFileSystem.h"
#include "tests/support/TempFiles.h"

#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <QDateTime>
#include <sys/stat.h>

namespace tarvo {
namespace {

constexpr qint64 MiB = 1 << 20;

QByteArray Pattern(qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 7 + i / 4099) % 251);
    return bytes;
}

// Follows a copy; stops it once `stopAt` bytes have arrived, or runs `then`.
struct Follower : CopyWatcher
{
    void blockCopied(quint64 done, quint64) override
    {
        if (first == 0)
            first = done;
        if (stopAt && done >= stopAt) {
            if (then)
                then();
            else
                stop.request_stop();
        }
    }
    void resuming(quint64 offset, quint64) override { resumedAt = offset; }

    quint64 stopAt = 0;
    std::function<void()> then;
    std::stop_source stop;
    quint64 first = 0; // bytes there after the first block
    quint64 resumedAt = 0;
};

class ResumeTest : public ::testing::Test
{
public:
    void SetUp() override
    {
        root.write("From/big.bin", content);
        QDir().mkpath(root.filePath("To"));
    }

    CopyOutcome copy(LocalFileSystem& store, Follower& follower)
    {
        return store.copy({Source, Target, false, nullptr, &follower, follower.stop.get_token()});
    }
    // A copy stopped after 3 MiB: its part (and its note) stay.
    quint64 cut(LocalFileSystem& store)
    {
        Follower follower;
        follower.stopAt = 3 * MiB;
        EXPECT_EQ(copy(store, follower).error, PlatformError::Cancelled);
        EXPECT_FALSE(QFile::exists(root.filePath("To/big.bin")));
        const QStringList parts = left(".part");
        EXPECT_EQ(parts.size(), 1);
        EXPECT_EQ(left(".note").size(), 1);
        return parts.isEmpty() ? 0 : QFileInfo(root.filePath("To/" + parts.first())).size();
    }
    QStringList left(const QString& ending) const
    {
        return QDir(root.filePath("To")).entryList({"*" + ending}, QDir::Files | QDir::Hidden);
    }
    QByteArray part() const
    {
        return test::TempFolder::read(root.filePath("To/" + left(".part")[0]));
    }
    void writePart(const QByteArray& bytes) const { root.write("To/" + left(".part")[0], bytes); }
    QByteArray copied() const { return test::TempFolder::read(root.filePath("To/big.bin")); }
    // The part and note renamed as a run of this host whose process is gone
    // would have left them: no process has an id above PID_MAX_LIMIT.
    void leftByAnEndedRun() const
    {
        for (const QString& name : left(".part") + left(".note")) {
            const QString ended = name.section(u'-', 0, 1) + "-4194305-" + name.section(u'-', 3);
            QDir(root.filePath("To")).rename(name, ended);
        }
    }

    static inline const QString Source = "\\From\\big.bin";
    static inline const QString Target = "\\To\\big.bin";
    const QByteArray content = Pattern(6 * MiB + 123);
    test::TempFolder root;
    LocalFileSystem files{DevicePaths(root.path())};
};

// What changed between the cut copy and the next one, and whether the next
// one goes on from the part.
struct Change
{
    const char* name;
    std::function<void(ResumeTest&)> change;
    bool resumes;
};

class ResumeWhenSafeTest : public ResumeTest, public ::testing::WithParamInterface<Change>
{};

void SetTime(const QString& path, time_t seconds)
{
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
}

TEST_P(ResumeWhenSafeTest, GoesOnFromThePartOnlyWhenItIsTheSourcesBytes)
{
    const quint64 size = cut(files);
    ASSERT_GE(size, quint64(3 * MiB));
    GetParam().change(*this);

    Follower follower;
    const CopyOutcome outcome = copy(files, follower);

    ASSERT_EQ(outcome.error, 0);
    EXPECT_TRUE(copied() == test::TempFolder::read(root.filePath("From/big.bin")));
    EXPECT_EQ(outcome.resumedFrom, GetParam().resumes ? size : 0);
    EXPECT_EQ(follower.resumedAt, outcome.resumedFrom);
    // Only the rest moved: the first block arrived on top of the part's bytes.
    EXPECT_EQ(follower.first > size, GetParam().resumes);
    // The old part went either way, and no note is left.
    EXPECT_EQ(left(".part") + left(".note"), QStringList());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResumeWhenSafeTest,
    ::testing::Values(
        Change{"EverythingMatches", [](ResumeTest&) {}, true},
        Change{"SizeChanged",
               [](ResumeTest& test) { test.root.write("From/big.bin", test.content + "more"); },
               false},
        Change{"TimeChanged",
               [](ResumeTest& test) { SetTime(test.root.filePath("From/big.bin"), 1'600'000'000); },
               false},
        // The same bytes and last-write time, but another file.
        Change{"IdentityChanged",
               [](ResumeTest& test) {
                   const QByteArray source = QFile::encodeName(test.root.filePath("From/big.bin"));
                   struct stat before;
                   ::stat(source.constData(), &before);
                   QFile::remove(QFile::decodeName(source));
                   test.root.write("From/big.bin", test.content);
                   const timespec times[2] = {before.st_atim, before.st_mtim};
                   ::utimensat(AT_FDCWD, source.constData(), times, 0);
               },
               false},
        Change{"PartLongerThanSource",
               [](ResumeTest& test) { test.writePart(test.part() + Pattern(7 * MiB)); }, false},
        Change{"LastBlockDiffers",
               [](ResumeTest& test) {
                   QByteArray bytes = test.part();
                   bytes[bytes.size() - 10] = char(bytes[bytes.size() - 10] ^ 0x55);
                   test.writePart(bytes);
               },
               false}),
    [](const auto& info) { return std::string(info.param.name); });

// A second run at the same time never takes over the part that a live run
// left (its process still runs, and may write it again): it copies from the
// first byte and leaves that part alone. Once the part's process is gone,
// the next run goes on with it, also in a process that ran before: a run
// looks into the folder anew, and sweeps it: a part left by a run that is
// gone stays while its note is there and it is younger than a week; one
// older, or without its note, goes, and so does a note without its part.
// Notes are never listed.
TEST_F(ResumeTest, OnlyAPartWhoseRunIsGoneIsTakenOver)
{
    const quint64 size = cut(files);
    LocalFileSystem second{DevicePaths(root.path())};
    Follower follower;
    CopyOutcome outcome = copy(second, follower);
    ASSERT_EQ(outcome.error, 0);
    EXPECT_EQ(outcome.resumedFrom, 0u);
    EXPECT_EQ(left(".part").size() + left(".note").size(), 2);
    QFile::remove(root.filePath("To/big.bin"));
    leftByAnEndedRun();
    const QString kept = left(".part")[0];
    const QString note = left(".note")[0];
    QDir to(root.filePath("To"));
    // Of other ended runs: a part without its note (6), one older than a
    // week (7), a note without its part (8).
    const auto other = [&](const QString& name, const char* run) {
        const QString copy = to.filePath(QString(name).replace("-4194305-", run));
        QFile::copy(to.filePath(name), copy);
        return copy;
    };
    other(kept, "-4194306-");
    other(note, "-4194307-");
    other(note, "-4194308-");
    SetTime(other(kept, "-4194307-"), QDateTime::currentSecsSinceEpoch() - 8 * 24 * 60 * 60);
    DirEntryList listed;
    ASSERT_EQ(files.listFolder("\\To", listed), 0);
    EXPECT_TRUE(listed.isEmpty());

    second.runStarts();
    FileInfo version;
    ASSERT_EQ(second.readAttributes(Source, version), 0);
    EXPECT_EQ(second.resumableBytes(Source, version, Target), size);
    EXPECT_EQ(left(".part") + left(".note"), QStringList({kept, note}));
    EXPECT_TRUE(PartNames::isProgramOwn(note));
    outcome = copy(second, follower);
    ASSERT_EQ(outcome.error, 0);
    EXPECT_EQ(outcome.resumedFrom, size);
    EXPECT_TRUE(copied() == content);
    EXPECT_EQ(left(".part") + left(".note"), QStringList());
}

// A copy whose source changed leaves nothing to go on with, nor does one
// that filled the disk; a small file's copy writes no note at all.
TEST_F(ResumeTest, OnlyACutCopyOfABigFileLeavesItsPart)
{
    Follower changed;
    changed.stopAt = 2 * MiB;
    changed.then = [this] {
        QFile file(root.filePath("From/big.bin"));
        if (file.open(QIODevice::Append))
            file.write("x");
    };
    EXPECT_EQ(copy(files, changed).error, PlatformError::SourceChanged);
    EXPECT_EQ(left(".part") + left(".note"), QStringList());

    root.write("From/big.bin", content);
    {
        const test::FileSizeLimit full(2 * MiB);
        Follower follower;
        EXPECT_EQ(copy(files, follower).error, PlatformError::DiskFull);
    }
    EXPECT_EQ(left(".part") + left(".note"), QStringList());

    root.write("From/small.bin", Pattern(3 * MiB));
    Follower small;
    small.stopAt = MiB;
    EXPECT_EQ(files
                  .copy({"\\From\\small.bin", "\\To\\small.bin", false, nullptr, &small,
                         small.stop.get_token()})
                  .error,
              PlatformError::Cancelled);
    EXPECT_EQ(left(".part") + left(".note"), QStringList());
}

// A note reads back as it was written, and one cut short (its copy's
// process killed while it wrote it) is no note. A copy goes on from a part
// written in order at its end; from one written side by side, where the last
// OutOfOrderBytes may have gaps, before them (from the start of a smaller
// one); from one this process kept, where that copy knew it whole.
TEST(ResumeNoteTest, ReadsBackAndSaysWhereACopyGoesOn)
{
    ResumeNote note{"big.bin", "\\From\\big.bin", {}, false};
    note.version.Size = 5'000'000'000;
    note.version.LastWriteTime = 133'000'000'000'000'123;
    note.version.Device = 2049;
    note.version.FileId = 77;
    note.version.ChangeTime = 133'000'000'000'000'456;
    const QByteArray text = note.toText();
    const std::optional<ResumeNote> read = ResumeNote::parse(text);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->sameCopy(note));
    EXPECT_TRUE(SameVersion(read->version, note.version));
    EXPECT_EQ(read->version.FileId, 77u);
    EXPECT_FALSE(read->inOrder);
    EXPECT_FALSE(ResumeNote::parse(text.left(text.size() - 4)));
    EXPECT_FALSE(ResumeNote::parse(QByteArray(text).replace("size=", "size=x")));

    const quint64 size = OutOfOrderBytes + 5 * MiB;
    EXPECT_EQ((PartLeft{note, size, std::nullopt}.goOnAt()), quint64(5 * MiB));
    EXPECT_EQ((PartLeft{note, OutOfOrderBytes - 1, std::nullopt}.goOnAt()), 0u);
    EXPECT_EQ((PartLeft{note, size, quint64(7 * MiB)}.goOnAt()), quint64(7 * MiB));
    note.inOrder = true;
    EXPECT_EQ((PartLeft{note, size, std::nullopt}.goOnAt()), size);
}

} // namespace
} // namespace tarvo
