// Names of every kind: from every script, and with characters that URLs
// reserve; the transfer tests cover names that differ only in letter case.
#include "tests/e2e/Scenario.h"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

QStringList StrangeNames()
{
    return {QString::fromUtf8("caf\xC3\xA9 d\xC3\xA9j\xC3\xA0.txt"),
            QString::fromUtf8("\xE6\x96\x87\xE4\xBB\xB6 \xE5\x90\x8D.txt"),
            QString::fromUtf8("\xF0\x9F\x98\x80 smile.txt"),
            "with  blanks %20#&.txt",
            "a,b;c.txt",
            ".hidden",
            "; starts like a comment",
            QString(126, QChar(0xE9)) + QStringLiteral("xyz")}; // 255 bytes, the most a name holds
}

const QDateTime Stamp(QDate(2026, 11, 2), QTime(9, 30), Qt::UTC); // the files' time

using NamesTest = Scenario;

// Sent with Sync, sent again (the share kept their times, so nothing is
// copied), then fetched back and moved into a folder on the share.
TEST_F(NamesTest, StrangeNamesGoBothWaysWithTheirTimes)
{
    QMap<QString, QByteArray> strange;
    for (const QString& name : StrangeNames()) {
        strange.insert(name, "content of " + name.toUtf8());
        writeDevice(QStringLiteral("\\Out box\\") + name, strange.value(name));
    }
    writeShare("in; out here/stale.txt", "stale");
    params.settings.DefaultChoice = ReplaceNoToAll; // what Sync finds unchanged stays
    addSession(QString::fromUtf8("B\xC3\xBCro"),
               line("Put", "\\Out box", "\\in; out here", "Sync"));
    const Outcome put = tarvo({"send", "--yes"});
    ASSERT_EQ(put.exitCode, 0) << put.err.constData();
    EXPECT_EQ(FilesIn(onShare("in; out here")), strange);
    const auto sent = Inodes(onShare("in; out here"));
    EXPECT_EQ(QFileInfo(onShare("in; out here/.hidden")).lastModified(), Stamp);
    EXPECT_EQ(tarvo({"send", "--yes"}).exitCode, 0);
    EXPECT_EQ(Inodes(onShare("in; out here")), sent) << "copied again";

    params.settings.DefaultSession = {"Back"};
    addSession("Back",
               line("Get", QString::fromUtf8("\\Caf\xC3\xA9 in;"), "\\in; out here", "Move",
                    sharePath("in; out here/.done")),
               false);
    makeShareFolder("in; out here/.done");
    QDir().mkpath(native(QString::fromUtf8("\\Caf\xC3\xA9 in;")));
    const Outcome get = tarvo({"send", "--yes"});
    EXPECT_EQ(get.exitCode, 0) << get.err.constData();
    EXPECT_EQ(FilesIn(native(QString::fromUtf8("\\Caf\xC3\xA9 in;"))), strange);
    EXPECT_EQ(QFileInfo(native(QString::fromUtf8("\\Caf\xC3\xA9 in;\\.hidden"))).lastModified(),
              Stamp);
    EXPECT_EQ(FilesIn(onShare("in; out here/.done")), strange);
}

} // namespace
} // namespace tarvo::test
