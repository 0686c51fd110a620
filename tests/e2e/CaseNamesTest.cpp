// Names that differ only in letter case: the device folder tells them apart,
// the share does not. No run may lose one of them or report a wrong result.
#include "tests/support/RunFixture.h"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

class CaseNamesTest : public RunFixture
{
protected:
    QStringList twinMessages() const
    {
        return messages.texts().filter(QStringLiteral("only in letter case"));
    }
};

TEST_F(CaseNamesTest, TwinsSentToTheShareNeverReplaceEachOther)
{
    // With Del, the second twin would replace the first on the share and both
    // sources would then be deleted: the first file's bytes gone everywhere.
    writeDevice(QStringLiteral("\\Out\\Report.txt"), "upper case");
    writeDevice(QStringLiteral("\\Out\\report.txt"), "lower case");
    makeShareFolder(QStringLiteral("in"));
    addSession(QStringLiteral("Put"), line(QStringLiteral("Put"), QStringLiteral("\\Out"),
                                           QStringLiteral("\\in"), QStringLiteral("Del")));
    params.entries = {QStringLiteral("Put,\\Out\\Report.txt"),
                      QStringLiteral("Put,\\Out\\report.txt")};
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(twinMessages().size(), 1) << messages.texts().join('\n').toStdString();
    EXPECT_EQ(observer.events().last(),
              QStringLiteral("1 of 2 files are transferred successfully"));
    const QStringList onShare = shareNames(QStringLiteral("in"));
    ASSERT_EQ(onShare.size(), 1);
    EXPECT_EQ(readShare(QStringLiteral("in/") + onShare.first()), "upper case");
    EXPECT_FALSE(deviceHas(QStringLiteral("\\Out\\Report.txt")));
    EXPECT_EQ(readDevice(QStringLiteral("\\Out\\report.txt")), "lower case");

    // With Sync the share's old file of that name is replaced, not pruned,
    // and the twin is refused the same way.
    messages.clear();
    writeDevice(QStringLiteral("\\Out\\Report.txt"), "upper again");
    writeShare(QStringLiteral("in/other.txt"), "other");
    params.settings.Sessions.insert(QStringLiteral("Put"),
                                    line(QStringLiteral("Put"), QStringLiteral("\\Out"),
                                         QStringLiteral("\\in"), QStringLiteral("Sync")));
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(twinMessages().size(), 1);
    const QStringList synced = shareNames(QStringLiteral("in"));
    ASSERT_EQ(synced.size(), 1) << synced.join(',').toStdString();
    EXPECT_EQ(readShare(QStringLiteral("in/") + synced.first()), "upper again");
    EXPECT_EQ(readDevice(QStringLiteral("\\Out\\report.txt")), "lower case");
}

TEST_F(CaseNamesTest, SyncIntoTheDeviceJudgesTheFileOfExactlyThatName)
{
    // The share's a.txt and the device's A.txt have the same size and time,
    // so a match that ignores case would call a.txt identical and copy nothing.
    writeShare(QStringLiteral("in/a.txt"), "new!");
    writeShare(QStringLiteral("in/b.txt"), "bbbb");
    writeDevice(QStringLiteral("\\Mirror\\A.txt"), "old!");
    writeDevice(QStringLiteral("\\Mirror\\B.TXT"), "BBBB");
    writeDevice(QStringLiteral("\\Mirror\\b.txt"), "bbbb");
    addSession(QStringLiteral("Get"), line(QStringLiteral("Get"), QStringLiteral("\\Mirror"),
                                           QStringLiteral("\\in"), QStringLiteral("Sync")));
    params.settings.DefaultChoice = ReplaceNoToAll;
    const QString share = sharePath(QStringLiteral("in")) + u'\\';
    params.entries = {QStringLiteral("Get,") + share + QStringLiteral("a.txt"),
                      QStringLiteral("Get,") + share + QStringLiteral("b.txt")};
    ASSERT_EQ(platform->connections().addConnection(QStringLiteral("Get"), samba().shareText(),
                                                    QString::fromLatin1(SambaServer::UserName),
                                                    samba().password(), true),
              0);
    EXPECT_EQ(run(), 2) << messages.texts().join('\n').toStdString();
    // The device folder is an exact mirror: A.txt and B.TXT were other files.
    QStringList names = QDir(platform->devicePaths().toNative(QStringLiteral("\\Mirror")))
                            .entryList(QDir::Files | QDir::Hidden, QDir::Name);
    EXPECT_EQ(names, QStringList({QStringLiteral("a.txt"), QStringLiteral("b.txt")}));
    EXPECT_EQ(readDevice(QStringLiteral("\\Mirror\\a.txt")), "new!");
    EXPECT_EQ(readDevice(QStringLiteral("\\Mirror\\b.txt")), "bbbb");
}

TEST_F(CaseNamesTest, TwinsOnTheShareAreFetchedOnceAndKeptThere)
{
    writeShare(QStringLiteral("in/Data.csv"), "first");
    writeShare(QStringLiteral("in/DATA.CSV"), "second");
    QDir().mkpath(platform->devicePaths().toNative(QStringLiteral("\\In")));
    addSession(QStringLiteral("Get"), line(QStringLiteral("Get"), QStringLiteral("\\In"),
                                           QStringLiteral("\\in"), QStringLiteral("Del")));
    ASSERT_EQ(platform->connections().addConnection(QStringLiteral("Get"), samba().shareText(),
                                                    QString::fromLatin1(SambaServer::UserName),
                                                    samba().password(), true),
              0);
    const QString share = sharePath(QStringLiteral("in")) + u'\\';
    params.entries = {QStringLiteral("Get,") + share + QStringLiteral("Data.csv"),
                      QStringLiteral("Get,") + share + QStringLiteral("DATA.CSV")};
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(twinMessages().size(), 1);
    EXPECT_EQ(readDevice(QStringLiteral("\\In\\Data.csv")), "first");
    EXPECT_EQ(shareNames(QStringLiteral("in")), QStringList{QStringLiteral("DATA.CSV")});
    EXPECT_EQ(readShare(QStringLiteral("in/DATA.CSV")), "second");
}

} // namespace
} // namespace tarvo::test
