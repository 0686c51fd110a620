#include "platform/ProcessServices.h"
#include "tests/e2e/FaultRunFixture.h"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

// Sync prunes target files that the run does not carry. One that the share
// will not delete (read-only, or open through another connection) stays,
// silently, and the run copies the session's files and goes on.
using SyncPruneFaultTest = FaultRunFixture;

TEST_F(SyncPruneFaultTest, TargetsThatCannotBeDeletedStaySilently)
{
    writeShare(QStringLiteral("out/readonly.txt"), "read-only");
    ASSERT_TRUE(makeShareFileReadOnly(QStringLiteral("out/readonly.txt")));
    writeShare(QStringLiteral("out/busy.txt"), "busy");
    writeShare(QStringLiteral("out/extra.txt"), "extra");
    writeDevice(QStringLiteral("\\Docs\\a.txt"), "a");
    writeDevice(QStringLiteral("\\Docs\\b.txt"), "b");
    writeDevice(QStringLiteral("\\More\\c.txt"), "c");
    makeShareFolder(QStringLiteral("more"));
    addSession(QStringLiteral("Mirror"), line(QStringLiteral("Put"), QStringLiteral("\\Docs"),
                                              QStringLiteral("\\out"), QStringLiteral("Sync")));
    addSession(QStringLiteral("More"),
               line(QStringLiteral("Put"), QStringLiteral("\\More"), QStringLiteral("\\more")));
    params.entries = {entry(QStringLiteral("Mirror"), QStringLiteral("\\Docs\\a.txt")),
                      entry(QStringLiteral("Mirror"), QStringLiteral("\\Docs\\b.txt")),
                      entry(QStringLiteral("More"), QStringLiteral("\\More\\c.txt"))};

    // Another program holds busy.txt open on the share.
    TempFolder otherRoot;
    ProcessServices other(otherRoot.path());
    ASSERT_EQ(other.connections().addConnection(QStringLiteral("Other"), samba().shareText(),
                                                QString::fromLatin1(SambaServer::UserName),
                                                samba().password(), true),
              0);
    std::unique_ptr<SourceFile> held;
    ASSERT_EQ(other.shareFiles().openSource(sharePath(QStringLiteral("out/busy.txt")), held), 0);

    EXPECT_EQ(runWhile([](QThread&) {}), 3);
    held.reset();

    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(u'\n').toStdString();
    EXPECT_EQ(watcher.events().last(), QStringLiteral("3 of 3 files are transferred successfully"));
    EXPECT_EQ(shareNames(QStringLiteral("out")),
              QStringList({"a.txt", "b.txt", "busy.txt", "readonly.txt"}));
    EXPECT_EQ(readShare(QStringLiteral("out/readonly.txt")), "read-only");
    EXPECT_EQ(readShare(QStringLiteral("out/busy.txt")), "busy");
    EXPECT_EQ(readShare(QStringLiteral("out/a.txt")), "a");
    EXPECT_EQ(readShare(QStringLiteral("more/c.txt")), "c");
}

} // namespace
} // namespace tarvo::test
