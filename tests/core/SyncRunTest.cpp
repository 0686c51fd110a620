#include "platform/ErrorCodes.h"
#include "tests/support/MemoryRunFixture.h"

namespace tarvo::test {
namespace {

class SyncRunTest : public MemoryRunFixture
{
protected:
    void SetUp() override
    {
        addSession("Mirror", line("Put", "\\Docs", "out", "Sync"));
        files.addFolder(onShare("out"));
    }
    int copies() const { return int(files.journal().filter("copy ").size()); }
};

// The share's folder holds a.txt, b.txt, e.txt and a folder; the run
// carries a.txt and d.txt.
enum class Target { Changed, Newer, Same };

const ReplaceReply Yes{true, ReplaceYes};
const ReplaceReply No{true, ReplaceNo};
const ReplaceReply Closed{false, ReplaceYes};

struct ExampleCase
{
    const char* name;
    int defaultChoice;
    Target a;
    ReplaceReply reply;
    int questions;
    bool aReplaced;
};

class SyncExampleTest : public SyncRunTest, public ::testing::WithParamInterface<ExampleCase>
{};

TEST_P(SyncExampleTest, MirrorsTheRunIntoTheTargetFolder)
{
    const ExampleCase& c = GetParam();
    params.settings.DefaultChoice = c.defaultChoice;
    messages.answerNextReplace(c.reply);
    files.addFile("\\Docs\\a.txt", "a-new");
    files.addFile("\\Docs\\d.txt", "d");
    const char* old = c.a == Target::Same ? "a-new" : c.a == Target::Changed ? "a-old!" : "a-old";
    const FileTime second = 10000000;
    files.addFile(onShare("out\\a.txt"), old,
                  MemoryFileSystem::DefaultTime - (c.a == Target::Newer ? second : 0));
    files.addFile(onShare("out\\b.txt"), "b");
    files.addFile(onShare("out\\e.txt"), "e");
    files.addFolder(onShare("out\\keep"));
    choose("Mirror", {"\\Docs\\a.txt", "\\Docs\\d.txt"});

    EXPECT_EQ(run().text(), "2 of 2 files are transferred successfully");
    EXPECT_EQ(files.names(onShare("out")), QStringList({"a.txt", "d.txt", "keep"}));
    EXPECT_EQ(copies(), c.aReplaced ? 2 : 1);
    EXPECT_EQ(record.kept, c.aReplaced ? QStringList() : QStringList("\\Docs\\a.txt"));
    ASSERT_EQ(messages.replaceQuestions().size(), c.questions);
    if (c.questions) {
        // The question shows both files as the run read them: the window reads nothing.
        const ScriptedMessageService::Asked asked = messages.replaceQuestions()[0];
        EXPECT_EQ(asked.existing.path, onShare("out\\a.txt"));
        EXPECT_EQ(asked.incoming.path, "\\Docs\\a.txt");
        EXPECT_EQ(asked.existing.info.Size, 5u);
        EXPECT_EQ(asked.incoming.info.LastWriteTime, MemoryFileSystem::DefaultTime);
    }
    EXPECT_TRUE(messages.texts().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SyncExampleTest,
    ::testing::Values(
        ExampleCase{"ChangedIsCopiedWithoutAQuestion", ReplaceAsk, Target::Changed, Closed, 0,
                    true},
        ExampleCase{"NewerIsCopiedWithoutAQuestion", ReplaceAsk, Target::Newer, Closed, 0, true},
        ExampleCase{"SameWithDefaultYes", ReplaceYesToAll, Target::Same, Closed, 0, true},
        ExampleCase{"SameWithDefaultNo", ReplaceNoToAll, Target::Same, Yes, 0, false},
        ExampleCase{"SameAnsweredYes", ReplaceAsk, Target::Same, Yes, 1, true},
        ExampleCase{"SameAnsweredNo", ReplaceAsk, Target::Same, No, 1, false},
        ExampleCase{"SameQuestionClosed", ReplaceAsk, Target::Same, Closed, 1, false},
        ExampleCase{"SameWithoutAnAnswer", ReplaceAsk, Target::Same, {true, ReplaceAsk}, 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Four identical files: an answer "to all" spares the questions after it.
struct AnswerCase
{
    const char* name;
    QList<ReplaceReply> replies;
    int replaced;
};

class SyncAnswerTest : public SyncRunTest, public ::testing::WithParamInterface<AnswerCase>
{};

TEST_P(SyncAnswerTest, TheRememberedAnswerSparesLaterQuestions)
{
    for (const QString name : {"1.txt", "2.txt", "3.txt", "4.txt"}) {
        files.addFile("\\Docs\\" + name, "same");
        files.addFile(onShare("out\\" + name), "same");
        choose("Mirror", {"\\Docs\\" + name});
    }
    for (const ReplaceReply& reply : GetParam().replies)
        messages.answerNextReplace(reply);

    EXPECT_EQ(run().succeeded, 4);
    EXPECT_EQ(messages.replaceQuestions().size(), GetParam().replies.size());
    EXPECT_EQ(copies(), GetParam().replaced);
}

const ReplaceReply YesToAll{true, ReplaceYesToAll};
const ReplaceReply NoToAll{true, ReplaceNoToAll};

INSTANTIATE_TEST_SUITE_P(Cases, SyncAnswerTest,
                         ::testing::Values(AnswerCase{"YesEachTime", {Yes, Yes, Yes, Yes}, 4},
                                           AnswerCase{"YesToAllOnTheSecond", {No, YesToAll}, 3},
                                           AnswerCase{"NoToAllOnTheSecond", {Yes, NoToAll}, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// Pruning deletes only plain files of the target folder that the session's
// entries do not carry and that the run's NAME patterns match; a name that
// differs from a carried one only in letter case may be the carried file.
TEST_F(SyncRunTest, PruningSparesWhatTheRunDoesNotMirror)
{
    params.namePatterns = {"*.csv"};
    addSession("Idle", line("Put", "\\Docs", "idle", "Sync"));
    files.addFile(onShare("idle\\keep.csv"), "k");
    files.addFile("\\Docs\\a.csv", "new");
    files.addFile(onShare("out\\A.CSV"), "old");
    files.addFile(onShare("out\\b.csv"), "b");
    files.addFile(onShare("out\\x.csv"), "x");
    files.addFile(onShare("out\\notes.txt"), "n");
    files.addFolder(onShare("out\\sub.csv"));
    choose("Mirror", {"\\Docs\\a.csv"});
    choose("Other", {"\\Docs\\b.csv"});

    run();

    EXPECT_EQ(files.names(onShare("out")), QStringList({"A.CSV", "notes.txt", "sub.csv"}));
    EXPECT_EQ(files.data(onShare("out\\A.CSV")), "new");
    EXPECT_EQ(files.names(onShare("idle")), QStringList("keep.csv"));
}

// A share that keeps times to 2 seconds: what Sync copied once is the same
// on the next run. One that keeps no time: said once, and copied again.
TEST_F(SyncRunTest, TimesCountAsEqualAsFinelyAsTheTargetKeepsThem)
{
    params.settings.DefaultChoice = ReplaceNoToAll;
    files.setTimeResolution(onShare("out"), 20000000);
    files.addFile("\\Docs\\a.txt", "a", MemoryFileSystem::DefaultTime + 5000000);
    files.addFile("\\Docs\\b.txt", "b", MemoryFileSystem::DefaultTime + 5000000);
    choose("Mirror", {"\\Docs\\a.txt", "\\Docs\\b.txt"});

    run();
    ASSERT_EQ(copies(), 2);
    run();
    EXPECT_EQ(copies(), 2);
    EXPECT_TRUE(messages.texts().isEmpty());

    files.setTimeResolution(onShare("out"), 0);
    run();
    EXPECT_EQ(copies(), 4);
    EXPECT_EQ(messages.texts(),
              QStringList(onShare("out\\") + " does not keep the last-write times of its files, "
                                             "so Sync cannot tell unchanged files and copies "
                                             "them again."));
}

// A target folder that cannot be listed prunes nothing, and each file is
// judged on its own; a copy that fails is not counted.
TEST_F(SyncRunTest, AnUnlistedTargetFolderIsJudgedFileByFile)
{
    files.failNext(MemoryFileSystem::Op::List, "share\\out", PlatformError::AccessDenied);
    files.addFile("\\Docs\\a.txt", "new-a");
    files.addFile(onShare("out\\a.txt"), "old!");
    files.addFile(onShare("out\\stale.txt"), "s");
    choose("Mirror", {"\\Docs\\a.txt", "\\Docs\\missing.txt"});

    EXPECT_EQ(run().text(), "1 of 2 files are transferred successfully");
    EXPECT_EQ(messages.texts(),
              QStringList("Failed to copy file \\Docs\\missing.txt to " +
                          onShare("out\\missing.txt") + "\r\nThe file does not exist (any more)."));
    EXPECT_EQ(files.data(onShare("out\\a.txt")), "new-a");
    EXPECT_EQ(files.names(onShare("out")), QStringList({"a.txt", "stale.txt"}));
}

} // namespace
} // namespace tarvo::test
