#include "platform/ErrorCodes.h"
#include "tests/support/MemoryRunFixture.h"

namespace tarvo::test {
namespace {

// A Put session sends \Docs\a.txt, then applies its post-operation, into the
// post folder \Sent, with each question answered OK unless told otherwise.
enum class Twist { None, Cancel, ReadOnlyPostFile, SavedAfterCopy, CopyFails, NoPostFolder };

struct PostCase
{
    const char* name;
    const char* postOp;
    const char* postBefore; // \Sent\a.txt before; null: none
    Twist twist;
    QString said; // each message: "? " a question or "i " a note, its text, "|"
    bool sourceStays;
    const char* postAfter;
    int failures;
};

class PostOperationsTest : public MemoryRunFixture, public ::testing::WithParamInterface<PostCase>
{};

TEST_P(PostOperationsTest, ActOnTheSentFileOnly)
{
    const PostCase& c = GetParam();
    const QString folder = c.twist == Twist::NoPostFolder ? "" : "\\Sent";
    const QString post = folder + "\\a.txt";
    addSession("Office", line("Put", "\\Docs", "out", c.postOp, folder));
    files.addFolder(onShare("out"));
    files.addFile("\\Docs\\a.txt", "new");
    files.addFolder("\\Sent");
    if (c.postBefore)
        files.addFile(post, c.postBefore, MemoryFileSystem::DefaultTime,
                      c.twist == Twist::ReadOnlyPostFile ? FileAttribute::ReadOnly : 0);
    if (c.twist == Twist::CopyFails)
        files.failNext(MemoryFileSystem::Op::Copy, post, PlatformError::AccessDenied);
    if (c.twist == Twist::SavedAfterCopy)
        messages.onMessage = [this](const QString&) { files.addFile("\\Docs\\a.txt", "newer", 1); };
    if (c.twist == Twist::Cancel)
        messages.answerNext(MessageResult::Cancel);
    choose("Office", {"\\Docs\\a.txt"});

    const RunSummary summary = run();

    QString said;
    for (const auto& shown : messages.messages()) {
        const bool question = shown.icon == MessageIcon::Question;
        EXPECT_EQ(shown.buttons, question ? MessageButtons::OkCancel : MessageButtons::Ok);
        said += (question                                 ? "? "
                 : shown.icon == MessageIcon::Information ? "i "
                                                          : "! ") +
                shown.text + '|';
    }
    EXPECT_EQ(said, QString(c.said).replace("%1", "\\Docs\\a.txt").replace("%2", post));
    EXPECT_EQ(summary.succeeded, 1);
    EXPECT_EQ(summary.failedPostOperations, c.failures);
    EXPECT_EQ(files.exists("\\Docs\\a.txt"), c.sourceStays);
    EXPECT_EQ(files.data(post), c.postAfter);
}

const QString Overwrite = "? File %2 exists. Overwrite?|";
const QString Delete = "? Delete file %1 ?|";
const QString Changed = "\r\nIt changed after it was copied, so it stays as it is.|";

INSTANTIATE_TEST_SUITE_P(
    Cases, PostOperationsTest,
    ::testing::Values(
        PostCase{"CopyOverwriteOk", "Copy", "old", Twist::None, Overwrite, true, "new", 0},
        PostCase{"CopyOverwriteCancel", "Copy", "old", Twist::Cancel, Overwrite, true, "old", 0},
        PostCase{"CopyOverAReadOnlyFile", "Copy", "old", Twist::ReadOnlyPostFile,
                 Overwrite + "i Failed to overwrite file %2\r\nAccess is denied.|", true, "old", 1},
        // The old post file stays whole when the copy that replaces it fails.
        PostCase{"CopyOfAFileSavedSinceItsCopy", "Copy", "old", Twist::SavedAfterCopy,
                 Overwrite + "i Failed to overwrite file %2" + Changed, true, "old", 1},
        PostCase{"CopyFails", "Copy", nullptr, Twist::CopyFails,
                 "i Failed to copy file %1 to %2\r\nAccess is denied.|", true, "", 1},
        PostCase{"DelOk", "Del", nullptr, Twist::None, Delete, false, "", 0},
        PostCase{"DelCancel", "Del", nullptr, Twist::Cancel, Delete, true, "", 0},
        PostCase{"DelOfAFileSavedSinceItsCopy", "Del", nullptr, Twist::SavedAfterCopy,
                 Delete + "i Failed to delete file %1" + Changed, true, "", 1},
        PostCase{"Move", "Move", nullptr, Twist::None, "", false, "new", 0},
        PostCase{"MoveOntoAFile", "Move", "old", Twist::None,
                 "i Failed to move file %1 to %2\r\nA file of that name already exists.|", true,
                 "old", 1},
        PostCase{"MoveWithoutAPostFolder", "Move", nullptr, Twist::NoPostFolder, "", false, "new",
                 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Sync compares the whole size, and nothing but the size and the last-write
// time: 4 GiB apart is not the same, another creation time is.
TEST(CompareFileInfosTest, SyncSeesTheWholeSizeAndTheLastWriteOnly)
{
    const FileInfo small{0, 0, 0, 0, 0x10};
    EXPECT_EQ(CompareFileInfos(small, {0, 0, 0, 0, 0x1'0000'0010ULL}), CompareBit::Size);
    EXPECT_EQ(CompareFileInfos(small, {0, 0, 0, 0, 0x11}), CompareBit::Size);
    EXPECT_EQ(CompareFileInfos(small, {FileAttribute::Hidden, 1, 2, 0, 0x10}) & SyncCompareMask, 0);
}

} // namespace
} // namespace tarvo::test
