#include "tests/support/RunFixture.h"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

const QString Source = QStringLiteral("\\Docs\\a.txt");
const QString PostFile = QStringLiteral("\\Sent\\a.txt");

// A Put session with a post-operation, one file, its copy made to succeed
// or to fail (the share folder is missing), and the questions answered.
struct PostRunCase
{
    const char* name;
    const char* postOp;
    bool copyFails;
    bool postFileExists;
    QList<MessageResult> answers;
    int succeeded;
    QStringList shown; // %1 source, %2 post file, %3 target
    bool sourceStays;
    QByteArray postContent; // empty: no post file
    int postFailures = 0;   // counted after the summary
};

// Names the case in failure reports instead of dumping its bytes.
void PrintTo(const PostRunCase& c, std::ostream* out)
{
    *out << c.name;
}

class PostOperationRunTest : public RunFixture, public ::testing::WithParamInterface<PostRunCase>
{};

TEST_P(PostOperationRunTest, AppliesThePostOperationAfterEachCopy)
{
    const PostRunCase& c = GetParam();
    if (!c.copyFails)
        makeShareFolder(QStringLiteral("out"));
    writeDevice(Source, "new");
    QDir().mkpath(platform->devicePaths().toNative(QStringLiteral("\\Sent")));
    if (c.postFileExists)
        writeDevice(PostFile, "old");
    if (QByteArray(c.name).contains("ReadOnly"))
        QFile::setPermissions(platform->devicePaths().toNative(PostFile), QFileDevice::ReadOwner);
    addSession(QStringLiteral("Office"),
               line(QStringLiteral("Put"), QStringLiteral("\\Docs"), QStringLiteral("\\out"),
                    QString::fromLatin1(c.postOp), QStringLiteral("\\Sent")));
    params.entries = {QStringLiteral("Office,") + Source};
    for (MessageResult answer : c.answers)
        messages.answerNext(answer);

    EXPECT_EQ(run(), c.succeeded);

    QStringList expected;
    for (const QString& text : c.shown)
        expected.append(QString(text)
                            .replace(QStringLiteral("%1"), Source)
                            .replace(QStringLiteral("%2"), PostFile)
                            .replace(QStringLiteral("%3"), sharePath(QStringLiteral("out/a.txt"))));
    EXPECT_EQ(messages.texts(), expected);
    EXPECT_EQ(deviceHas(Source), c.sourceStays);
    EXPECT_EQ(readDevice(PostFile), c.postContent);
    QStringList end{QStringLiteral("%1 of 1 files are transferred successfully").arg(c.succeeded)};
    if (c.postFailures > 0)
        end.append(QStringLiteral("1 post-operation failed"));
    EXPECT_EQ(observer.events().mid(observer.events().size() - end.size()), end);
}

const MessageResult Ok = MessageResult::Ok;
const MessageResult Cancel = MessageResult::Cancel;
const char* const CopyFailed = "Failed to copy file %1 to %3\r\nThe folder does not exist.";

INSTANTIATE_TEST_SUITE_P(
    Cases, PostOperationRunTest,
    ::testing::Values(
        PostRunCase{"Copy", "Copy", false, false, {}, 1, {}, true, "new"},
        PostRunCase{"CopyOverwriteOk",
                    "Copy",
                    false,
                    true,
                    {Ok},
                    1,
                    {"File %2 exists. Overwrite?"},
                    true,
                    "new"},
        PostRunCase{
            "CopyOverwriteReadOnlyPostFile",
            "Copy",
            false,
            true,
            {Ok},
            1,
            {"File %2 exists. Overwrite?", "Failed to overwrite file %2\r\nAccess is denied."},
            true,
            "old",
            1},
        PostRunCase{"CopyOverwriteCancel",
                    "Copy",
                    false,
                    true,
                    {Cancel},
                    1,
                    {"File %2 exists. Overwrite?"},
                    true,
                    "old"},
        PostRunCase{"DelOk", "Del", false, false, {Ok}, 1, {"Delete file %1 ?"}, false, {}},
        PostRunCase{"DelCancel", "Del", false, false, {Cancel}, 1, {"Delete file %1 ?"}, true, {}},
        PostRunCase{"Move", "Move", false, false, {}, 1, {}, false, "new"},
        PostRunCase{"MoveOntoExistingPostFile",
                    "Move",
                    false,
                    true,
                    {},
                    1,
                    {"Failed to move file %1 to %2\r\nA file of that name already exists."},
                    true,
                    "old",
                    1},
        // After a failed copy no post-operation acts: the source was not
        // sent, so it is neither filed nor deleted.
        PostRunCase{"CopyAfterFailedCopy", "Copy", true, false, {}, 0, {CopyFailed}, true, {}},
        PostRunCase{"MoveAfterFailedCopy", "Move", true, false, {}, 0, {CopyFailed}, true, {}},
        PostRunCase{"DelAfterFailedCopy", "Del", true, false, {Ok}, 0, {CopyFailed}, true, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunFixture, AnEmptyPostFolderIsTheDeviceRoot)
{
    makeShareFolder(QStringLiteral("out"));
    writeDevice(Source, "new");
    addSession(QStringLiteral("Office"), line(QStringLiteral("Put"), QStringLiteral("\\Docs"),
                                              QStringLiteral("\\out"), QStringLiteral("Move")));
    params.entries = {QStringLiteral("Office,") + Source};

    EXPECT_EQ(run(), 1);
    EXPECT_EQ(readDevice(QStringLiteral("\\a.txt")), "new");
    EXPECT_FALSE(deviceHas(Source));
}

} // namespace
} // namespace tarvo::test
