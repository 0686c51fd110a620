#include "tests/support/RunFixture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tarvo::test {
namespace {

class SyncRunTest : public RunFixture
{
protected:
    // A copy renames a new file into place, so a replaced file has a new inode
    // even when its bytes are the same.
    ino_t inodeOnShare(const QString& relative) const
    {
        struct stat status
        {};
        ::stat(QFile::encodeName(samba().shareFolder() + u'/' + relative).constData(), &status);
        return status.st_ino;
    }

    void SetUp() override
    {
        RunFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        addSession(QStringLiteral("Mirror"), line(QStringLiteral("Put"), QStringLiteral("\\Docs"),
                                                  QStringLiteral("\\out"), QStringLiteral("Sync")));
    }

    // Device file and, when wanted, an identical copy on the share.
    void addFile(const QString& name, bool identicalOnShare)
    {
        writeDevice(QStringLiteral("\\Docs\\") + name, name.toUtf8());
        if (identicalOnShare)
            writeShare(QStringLiteral("out/") + name, name.toUtf8());
        params.entries.append(QStringLiteral("Mirror,\\Docs\\") + name);
    }
};

// The share's folder holds a.txt, b.txt and e.txt; the run carries a.txt and d.txt.
struct ExampleCase
{
    const char* name;
    int defaultChoice;
    bool aChanged;
    QList<ReplaceReply> replies;
    int questions;
    bool aReplaced;
};

// Names the case in failure reports instead of dumping its bytes.
void PrintTo(const ExampleCase& c, std::ostream* out)
{
    *out << c.name;
}

class SyncExampleTest : public SyncRunTest, public ::testing::WithParamInterface<ExampleCase>
{};

TEST_P(SyncExampleTest, MirrorsTheRunIntoTheTargetFolder)
{
    const ExampleCase& c = GetParam();
    params.settings.DefaultChoice = c.defaultChoice;
    writeDevice(QStringLiteral("\\Docs\\a.txt"), "a-new");
    writeShare(QStringLiteral("out/a.txt"), c.aChanged ? "a-old!" : "a-new",
               c.aChanged ? stamp().addDays(-1) : stamp());
    writeShare(QStringLiteral("out/b.txt"), "b");
    writeShare(QStringLiteral("out/e.txt"), "e");
    // Identical content with another time shows that only size and time count.
    writeDevice(QStringLiteral("\\Docs\\d.txt"), "d");
    params.entries = {QStringLiteral("Mirror,\\Docs\\a.txt"),
                      QStringLiteral("Mirror,\\Docs\\d.txt")};
    for (const ReplaceReply& reply : c.replies)
        messages.answerNextReplace(reply);
    const ino_t aBefore = inodeOnShare(QStringLiteral("out/a.txt"));

    EXPECT_EQ(run(), 2);

    EXPECT_EQ(shareNames(QStringLiteral("out")), QStringList({"a.txt", "d.txt"}));
    EXPECT_EQ(readShare(QStringLiteral("out/d.txt")), "d");
    EXPECT_EQ(readShare(QStringLiteral("out/a.txt")), "a-new");
    EXPECT_EQ(inodeOnShare(QStringLiteral("out/a.txt")) != aBefore, c.aReplaced);
    EXPECT_EQ(messages.replaceQuestions().size(), c.questions);
    for (const auto& asked : messages.replaceQuestions()) {
        // The question shows what the target listing and the source's read gave.
        EXPECT_EQ(asked.existing.info.Size, 5u);
        EXPECT_EQ(asked.incoming.info.Size, 5u);
        EXPECT_EQ(asked.existing.info.LastWriteTime, asked.incoming.info.LastWriteTime);
        EXPECT_NE(asked.existing.info.LastWriteTime, 0u);
    }
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_EQ(observer.events().last(),
              QStringLiteral("2 of 2 files are transferred successfully"));
    EXPECT_EQ(observer.filtered(QStringLiteral("bar")),
              QStringList({"bar 0", "bar 50", "bar 50", "bar 100"}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SyncExampleTest,
    ::testing::Values(
        ExampleCase{"ChangedIsCopiedWithoutAQuestion", ReplaceAsk, true, {}, 0, true},
        ExampleCase{"IdenticalWithDefaultYes", ReplaceYesToAll, false, {}, 0, true},
        ExampleCase{"IdenticalWithDefaultNo", ReplaceNoToAll, false, {}, 0, false},
        ExampleCase{"IdenticalAnsweredYes", ReplaceAsk, false, {{true, ReplaceYes}}, 1, true},
        ExampleCase{"IdenticalAnsweredNo", ReplaceAsk, false, {{true, ReplaceNo}}, 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct AnswerCase
{
    const char* name;
    QList<ReplaceReply> replies;
    int questions;
    int replaced; // how many of the four identical files were copied again
};

// Names the case in failure reports instead of dumping its bytes.
void PrintTo(const AnswerCase& c, std::ostream* out)
{
    *out << c.name;
}

class SyncAnswerTest : public SyncRunTest, public ::testing::WithParamInterface<AnswerCase>
{};

TEST_P(SyncAnswerTest, TheRememberedAnswerSparesLaterQuestions)
{
    const AnswerCase& c = GetParam();
    params.settings.DefaultChoice = ReplaceAsk;
    for (const char* name : {"1.txt", "2.txt", "3.txt", "4.txt"})
        addFile(QString::fromLatin1(name), true);
    const QStringList names = shareNames(QStringLiteral("out"));
    QList<ino_t> before;
    for (const QString& name : names)
        before.append(inodeOnShare(QStringLiteral("out/") + name));
    for (const ReplaceReply& reply : c.replies)
        messages.answerNextReplace(reply);

    EXPECT_EQ(run(), 4); // a kept file counts as transferred
    EXPECT_EQ(messages.replaceQuestions().size(), c.questions);
    int replaced = 0;
    for (int i = 0; i < names.size(); ++i)
        replaced += inodeOnShare(QStringLiteral("out/") + names[i]) != before[i];
    EXPECT_EQ(replaced, c.replaced);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SyncAnswerTest,
    ::testing::Values(
        AnswerCase{"YesEachTime",
                   {{true, ReplaceYes}, {true, ReplaceYes}, {true, ReplaceYes}, {true, ReplaceYes}},
                   4,
                   4},
        AnswerCase{"YesToAllOnTheSecond", {{true, ReplaceNo}, {true, ReplaceYesToAll}}, 2, 3},
        AnswerCase{"NoToAllOnTheSecond", {{true, ReplaceYes}, {true, ReplaceNoToAll}}, 2, 1},
        AnswerCase{
            "EndedWithoutAButton",
            {{false, ReplaceAsk}, {false, ReplaceAsk}, {false, ReplaceAsk}, {false, ReplaceAsk}},
            4,
            0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SyncRunTest, ASessionWithNothingChosenKeepsItsTarget)
{
    writeShare(QStringLiteral("out/keep.txt"), "k");
    addSession(QStringLiteral("Other"),
               line(QStringLiteral("Put"), QStringLiteral("\\Docs"), QStringLiteral("\\other")));
    makeShareFolder(QStringLiteral("other"));
    writeDevice(QStringLiteral("\\Docs\\x.txt"), "x");
    params.entries = {QStringLiteral("Other,\\Docs\\x.txt")};

    EXPECT_EQ(run(), 1);
    EXPECT_EQ(shareNames(QStringLiteral("out")), QStringList({"keep.txt"}));
}

TEST_F(SyncRunTest, AFailedSyncCopyIsNotCounted)
{
    writeShare(QStringLiteral("out/stale.txt"), "s");
    addFile(QStringLiteral("a.txt"), false);
    params.entries.append(QStringLiteral("Mirror,\\Docs\\missing.txt"));

    EXPECT_EQ(run(), 1);
    EXPECT_EQ(
        messages.texts(),
        QStringList({QStringLiteral("Failed to copy file \\Docs\\missing.txt to %1\r\nThe file "
                                    "does not exist (any more).")
                         .arg(sharePath(QStringLiteral("out/missing.txt")))}));
    EXPECT_EQ(shareNames(QStringLiteral("out")), QStringList({"a.txt"}));
}

TEST_F(SyncRunTest, AMissingTargetFolderPrunesNothingAndFailsTheCopies)
{
    addFile(QStringLiteral("a.txt"), false);
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts().first().startsWith(QStringLiteral("Failed to copy file")));
}

} // namespace
} // namespace tarvo::test
