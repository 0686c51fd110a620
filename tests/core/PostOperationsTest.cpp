#include "core/transfer/PostOperations.h"

#include "config/NetSession.h"
#include "platform/ErrorCodes.h"
#include "tests/support/DeviceFiles.h"
#include "tests/support/ScriptedMessageService.h"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

const QString Source = QStringLiteral("\\My Documents\\a.txt");
const QString PostTarget = QStringLiteral("\\Sent\\a.txt");

class PostOperationsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        device.write(Source, "new");
        device.makeFolder(QStringLiteral("\\Sent"));
    }

    DeviceFiles device;
    ScriptedMessageService messages;
    PostOperations post{device.files(), messages};
};

TEST_F(PostOperationsTest, MessagesCarryTheirIcons)
{
    device.write(PostTarget, "old");
    messages.answerNext(MessageResult::Cancel);
    post.ApplyPostOperation(Source, PostTarget, PostCopy);
    post.ApplyPostOperation(Source, PostTarget, PostMove);
    messages.answerNext(MessageResult::Cancel);
    post.ApplyPostOperation(Source, PostTarget, PostDel);

    const auto shown = messages.messages();
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[0].icon, MessageIcon::Question);
    EXPECT_EQ(shown[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(shown[1].icon, MessageIcon::Information);
    EXPECT_EQ(shown[1].buttons, MessageButtons::Ok);
    EXPECT_EQ(shown[2].icon, MessageIcon::Question);
    EXPECT_EQ(shown[2].buttons, MessageButtons::OkCancel);
}

TEST_F(PostOperationsTest, FailuresThatCannotBeUndoneAreReported)
{
    // A post target that is a folder cannot be deleted to make room.
    device.makeFolder(PostTarget);
    device.write(PostTarget + QStringLiteral("\\inside.txt"), "x");
    messages.answerNext(MessageResult::Ok);
    EXPECT_NE(post.ApplyPostOperation(Source, PostTarget, PostCopy), 0);
    EXPECT_EQ(messages.texts().last(),
              QStringLiteral("Failed to overwrite file %1\r\nAccess is denied.").arg(PostTarget));
    EXPECT_EQ(messages.messages().last().icon, MessageIcon::Information);

    messages.clear();
    const QString missing = QStringLiteral("\\My Documents\\gone.txt");
    messages.answerNext(MessageResult::Ok);
    EXPECT_NE(post.ApplyPostOperation(missing, PostTarget, PostDel), 0);
    EXPECT_EQ(messages.texts(),
              QStringList({QStringLiteral("Delete file %1 ?").arg(missing),
                           QStringLiteral("Failed to delete file %1\r\nThe file does not exist "
                                          "(any more).")
                               .arg(missing)}));

    // Any other copy failure says why as well.
    messages.clear();
    const QString other = QStringLiteral("\\Sent\\b.txt");
    EXPECT_NE(post.ApplyPostOperation(missing, other, PostCopy), 0);
    EXPECT_EQ(messages.texts(),
              QStringList(QStringLiteral("Failed to copy file %1 to %2\r\nThe file "
                                         "does not exist (any more).")
                              .arg(missing, other)));
}

TEST_F(PostOperationsTest, CompareFileInfoSetsABitPerDifference)
{
    const QString same = QStringLiteral("\\My Documents\\same.txt");
    const QString longer = QStringLiteral("\\My Documents\\longer.txt");
    const QString newer = QStringLiteral("\\My Documents\\newer.txt");
    ASSERT_EQ(device.files().copyFile(Source, same, true), 0);
    device.write(longer, "newer text");
    device.write(newer, "new", QDateTime(QDate(2026, 12, 1), QTime(8, 0), Qt::UTC));

    EXPECT_EQ(post.CompareFileInfo(Source, same) & SyncCompareMask, 0);
    EXPECT_EQ(post.CompareFileInfo(Source, longer) & SyncCompareMask, CompareBit::Size);
    EXPECT_EQ(post.CompareFileInfo(Source, newer) & SyncCompareMask, CompareBit::LastWrite);
    EXPECT_EQ(post.CompareFileInfo(Source, QStringLiteral("\\nothing.txt")), 0);
    EXPECT_EQ(post.CompareFileInfo(QStringLiteral("\\nothing.txt"), Source), 0);

    QFile::setPermissions(device.native(same), QFile::ReadOwner);
    EXPECT_EQ(post.CompareFileInfo(Source, same) & CompareBit::Attributes, CompareBit::Attributes);
}

TEST(CompareFileInfos, EachFieldHasItsBit)
{
    const FileInfo base{FileAttribute::Archive, 100, 200, 300, 0x1'0000'0010ULL};
    const struct
    {
        FileInfo other;
        int mask;
    } cases[] = {
        {base, 0},
        {{FileAttribute::Archive, 100, 200, 300, 0x2'0000'0010ULL}, CompareBit::Size},
        {{FileAttribute::Archive, 100, 200, 300, 0x1'0000'0011ULL}, CompareBit::Size},
        {{FileAttribute::Archive, 100, 200, 301, 0x1'0000'0010ULL}, CompareBit::LastWrite},
        {{FileAttribute::Archive, 101, 200, 300, 0x1'0000'0010ULL}, CompareBit::Creation},
        {{FileAttribute::Archive, 100, 201, 300, 0x1'0000'0010ULL}, CompareBit::LastAccess},
        {{FileAttribute::ReadOnly, 100, 200, 300, 0x1'0000'0010ULL}, CompareBit::Attributes},
        {{0, 0, 0, 0, 0}, 0x1F},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CompareFileInfos(base, c.other), c.mask);
}

TEST_F(PostOperationsTest, ListFolderFilesAppendsPlainFilesOnly)
{
    device.write(QStringLiteral("\\Out\\x.txt"), "x");
    device.write(QStringLiteral("\\Out\\y.doc"), "y");
    device.makeFolder(QStringLiteral("\\Out\\Sub"));

    QStringList list{QStringLiteral("before")};
    FolderSnapshot snapshot;
    EXPECT_EQ(post.ListFolderFiles(QStringLiteral("\\Out"), list, &snapshot), 3);
    list.sort();
    EXPECT_EQ(list, QStringList({QStringLiteral("\\Out\\x.txt"), QStringLiteral("\\Out\\y.doc"),
                                 QStringLiteral("before")}));
    ASSERT_TRUE(snapshot.contains(QStringLiteral("\\Out\\x.txt")));
    EXPECT_EQ(snapshot.value(QStringLiteral("\\Out\\x.txt")).Size, 1u);

    EXPECT_EQ(post.ListFolderFiles(QStringLiteral("\\Missing\\"), list), -1);
    EXPECT_EQ(list.size(), 3);
}

TEST_F(PostOperationsTest, PruneSyncTargetDeletesWhatTheSessionDoesNotCarry)
{
    const QString line =
        QStringLiteral("Net,Get,\\\\pc\\docs,WORKGROUP,\\Mirror,\\,Sync,,guest,pw");
    for (const char* name : {"a.txt", "b.txt", "E.TXT"})
        device.write(QStringLiteral("\\Mirror\\") + QLatin1String(name), "x");
    const QStringList targets{QStringLiteral("\\Mirror\\a.txt"), QStringLiteral("\\Mirror\\b.txt"),
                              QStringLiteral("\\Mirror\\E.TXT")};
    const QStringList run{QStringLiteral("Mirror,\\\\pc\\docs\\A.txt"),
                          QStringLiteral("Other,\\\\pc\\docs\\b.txt"),
                          QStringLiteral("Mirror,\\\\pc\\docs\\e.txt")};

    post.PruneSyncTarget(targets, run, QStringLiteral("Mirror"), line);

    EXPECT_EQ(device.names(QStringLiteral("\\Mirror")),
              QStringList({QStringLiteral("E.TXT"), QStringLiteral("a.txt")}));
    EXPECT_TRUE(messages.texts().isEmpty());
}

struct DecideCase
{
    const char* name;
    int remembered;
    QList<ReplaceReply> replies;
    bool copy;
    int rememberedAfter;
    int questions;
};

// Names the case in failure reports instead of dumping its bytes.
void PrintTo(const DecideCase& c, std::ostream* out)
{
    *out << c.name;
}

class DecideSyncCopyTest : public PostOperationsTest,
                           public ::testing::WithParamInterface<DecideCase>
{};

TEST_P(DecideSyncCopyTest, IdenticalFilesFollowTheRememberedAnswer)
{
    const DecideCase& c = GetParam();
    for (const ReplaceReply& reply : c.replies)
        messages.answerNextReplace(reply);
    int remembered = c.remembered;
    EXPECT_EQ(post.DecideSyncCopy(true, 0, {Source, {}}, {PostTarget, {}}, remembered), c.copy);
    EXPECT_EQ(remembered, c.rememberedAfter);
    EXPECT_EQ(messages.replaceQuestions().size(), c.questions);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecideSyncCopyTest,
    ::testing::Values(
        DecideCase{"YesToAllRemembered", ReplaceYesToAll, {}, true, ReplaceYesToAll, 0},
        DecideCase{"NoToAllRemembered", ReplaceNoToAll, {}, false, ReplaceNoToAll, 0},
        DecideCase{"AskYes", ReplaceAsk, {{true, ReplaceYes}}, true, ReplaceYes, 1},
        DecideCase{"AskNo", ReplaceAsk, {{true, ReplaceNo}}, false, ReplaceNo, 1},
        DecideCase{"YesAsksAgain", ReplaceYes, {{true, ReplaceNoToAll}}, false, ReplaceNoToAll, 1},
        DecideCase{"NoAsksAgain", ReplaceNo, {{true, ReplaceYesToAll}}, true, ReplaceYesToAll, 1},
        DecideCase{"EndedWithoutAButton", ReplaceNo, {{false, ReplaceAsk}}, false, ReplaceNo, 1},
        DecideCase{
            "AcceptedWithoutAnswer", ReplaceAsk, {{true, ReplaceAsk}}, false, ReplaceAsk, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PostOperationsTest, NeedsSyncCopyAsksOnlyAboutIdenticalTargets)
{
    const QString identical = QStringLiteral("\\Sent\\same.txt");
    const QString changed = QStringLiteral("\\Sent\\changed.txt");
    ASSERT_EQ(device.files().copyFile(Source, identical, true), 0);
    device.write(changed, "older text");
    int remembered = ReplaceAsk;

    EXPECT_TRUE(post.NeedsSyncCopy(Source, QStringLiteral("\\Sent\\missing.txt"), remembered));
    EXPECT_TRUE(post.NeedsSyncCopy(Source, changed, remembered));
    EXPECT_TRUE(messages.replaceQuestions().isEmpty());

    messages.answerNextReplace({true, ReplaceNo});
    EXPECT_FALSE(post.NeedsSyncCopy(Source, identical, remembered));
    ASSERT_EQ(messages.replaceQuestions().size(), 1);
    // The question carries what was read of both files: it reads nothing itself.
    const auto asked = messages.replaceQuestions()[0];
    FileInfo sourceInfo;
    ASSERT_EQ(device.files().readAttributes(Source, sourceInfo), 0);
    EXPECT_EQ(asked.existing.path, identical);
    EXPECT_EQ(asked.incoming.path, Source);
    for (const ReplaceFile& file : {asked.existing, asked.incoming}) {
        EXPECT_EQ(file.info.Size, 3u);
        EXPECT_EQ(file.info.LastWriteTime, sourceInfo.LastWriteTime);
    }
}

// A file system that keeps last-write times only so finely (0: not at all).
class CoarseFiles : public LocalFileSystem
{
public:
    CoarseFiles(const DevicePaths& paths, FileTime resolution)
        : LocalFileSystem(paths)
        , m_resolution(resolution)
    {}
    FileTime timeResolution(const QString&) override
    {
        ++asked;
        return m_resolution;
    }
    int asked = 0;

private:
    FileTime m_resolution;
};

// Sync takes two times closer than the target keeps them for the same, asks
// how finely only when the sizes agree, and says once per run when the
// target keeps no time at all.
TEST_F(PostOperationsTest, SyncComparesTimesAsFinelyAsTheTargetKeepsThem)
{
    constexpr FileTime second = 10'000'000;
    FileInfo source;
    source.Size = 7;
    source.LastWriteTime = 1000 * second + second / 2;
    FileInfo kept = source;
    kept.LastWriteTime = 1000 * second; // cut to even seconds
    FileInfo older = source;
    older.LastWriteTime = 998 * second;
    FileInfo longer = kept;
    longer.Size = 8;

    CoarseFiles twoSeconds(device.files().paths(), 2 * second);
    PostOperations coarse(twoSeconds, messages);
    EXPECT_EQ(coarse.SyncCompare(source, kept, "\\Sent\\"), 0);
    EXPECT_EQ(coarse.SyncCompare(source, older, "\\Sent\\"), CompareBit::LastWrite);
    EXPECT_TRUE(coarse.SyncCompare(source, longer, "\\Sent\\") & CompareBit::Size);
    EXPECT_EQ(twoSeconds.asked, 2);

    CoarseFiles fine(device.files().paths(), FileSystem::MicrosecondTicks);
    EXPECT_EQ(PostOperations(fine, messages).SyncCompare(source, kept, "\\Sent\\"),
              CompareBit::LastWrite);

    CoarseFiles timeless(device.files().paths(), 0);
    PostOperations run(timeless, messages);
    EXPECT_EQ(run.SyncCompare(source, kept, "\\Sent\\"), CompareBit::LastWrite);
    EXPECT_EQ(run.SyncCompare(source, older, "\\Sent\\"), CompareBit::LastWrite);
    EXPECT_EQ(messages.texts(),
              QStringList("\\Sent\\ does not keep the last-write times of its files, so Sync "
                          "cannot tell unchanged files and copies them again."));
    EXPECT_EQ(messages.messages().first().icon, MessageIcon::Information);
}
} // namespace
} // namespace tarvo::test
