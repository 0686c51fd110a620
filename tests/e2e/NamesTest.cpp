// Names of every kind: from every script, with characters that URLs reserve,
// and names that differ only in letter case.
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

// The device tells names apart by case, the share does not: of two twins,
// one is refused, and neither the share's file nor the source of the one
// that went is lost. A Sync into the device judges the file of exactly the
// name: A.txt of the same size and time is another file than a.txt.
TEST_F(NamesTest, TwinsByCaseAreSentAndFetchedOnce)
{
    writeDevice("\\Out\\Report.txt", "upper");
    writeDevice("\\Out\\report.txt", "lower");
    writeShare("in/Data.csv", "first");
    writeShare("in/DATA.CSV", "second");
    makeShareFolder("out");
    QDir().mkpath(native("\\In"));
    addSession("Put", line("Put", "\\Out", "\\out", "Del"));
    addSession("Get", line("Get", "\\In", "\\in", "Del"));
    writeShare("mirror/a.txt", "new!");
    writeShare("mirror/b.txt", "bbbb");
    writeDevice("\\Mirror\\A.txt", "old!");
    writeDevice("\\Mirror\\B.TXT", "BBBB");
    addSession("Sync", line("Get", "\\Mirror", "\\mirror", "Sync"));

    const Outcome run = tarvo({"send", "--yes"});

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.count("only in letter case"), 2) << run.err.constData();
    // The source that stays is the twin that was not sent.
    const auto sent = FilesIn(onShare("out"));
    const auto left = FilesIn(native("\\Out"));
    ASSERT_EQ(sent.size(), 1);
    ASSERT_EQ(left.size(), 1);
    EXPECT_EQ(QSet<QByteArray>({sent.first(), left.first()}), QSet<QByteArray>({"upper", "lower"}));
    const auto fetched = FilesIn(native("\\In"));
    const auto kept = FilesIn(onShare("in"));
    ASSERT_EQ(fetched.size(), 1);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(QSet<QByteArray>({fetched.first(), kept.first()}),
              QSet<QByteArray>({"first", "second"}));
    EXPECT_EQ(FilesIn(native("\\Mirror")),
              (QMap<QString, QByteArray>{{"a.txt", "new!"}, {"b.txt", "bbbb"}}));
}

} // namespace
} // namespace tarvo::test
