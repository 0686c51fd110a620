#include "tests/support/SambaServer.h"
#include "tests/support/UiTestSupport.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

using test::DeviceFixture;
using test::GetLine;
using test::PutLine;

// Get sessions list their folder on a real Samba server.
class ShareListTest : public test::SambaTest
{
protected:
    void SetUp() override
    {
        test::SambaTest::SetUp();
        ASSERT_TRUE(fixture.platform);
        const QString in = samba().shareFolder() + QStringLiteral("/in/");
        QDir().mkpath(in + QStringLiteral("sub"));
        for (const auto& [name, size] : {std::pair{"b.txt", 3000}, {"A.doc", 10}, {"c.txt", 0}}) {
            QFile file(in + QLatin1String(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(size, 'x'));
        }
    }

    QString remoteLine(const QString& password) const
    {
        return GetLine(samba().server(), QStringLiteral("share"), QStringLiteral("\\in"),
                       QStringLiteral("tester"), password);
    }

    FileRows build(Settings& settings)
    {
        return BuildFileList(FileListBuilder::TakeSnapshot(settings), fixture.services());
    }

    DeviceFixture fixture;
};

TEST_F(ShareListTest, AGetSessionListsItsFolderOnTheShare)
{
    Settings settings;
    settings.Sessions.insert("Remote", remoteLine(samba().password()));
    settings.DefaultSession = {"Remote"};

    const FileRows rows = build(settings);
    ASSERT_EQ(rows.size(), 3);
    const QString folder = samba().shareText() + QStringLiteral("\\in\\");
    const QStringList expected{"A.doc", "b.txt", "c.txt"};
    for (int i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows.at(i).name, expected.at(i));
        EXPECT_EQ(rows.at(i).path, folder);
        EXPECT_EQ(rows.at(i).session, "Remote");
        EXPECT_FALSE(rows.at(i).date.isEmpty());
    }
    EXPECT_EQ(rows.at(1).size, "2k");
    EXPECT_TRUE(fixture.messages.texts().isEmpty());
    EXPECT_EQ(fixture.messages.waitCursorDepth(), 0);
}

TEST_F(ShareListTest, AWrongPasswordShowsTheConnectMessageOnceAndTheOthersStillList)
{
    fixture.makeFile("local/here.txt");
    Settings settings;
    settings.Sessions.insert("Bad", remoteLine(QStringLiteral("wrong-password")));
    settings.Sessions.insert("Good", remoteLine(samba().password()));
    settings.Sessions.insert("Local", PutLine("\\local"));
    settings.DefaultSession = {"Bad", "Good", "Local"};

    const FileRows rows = build(settings);
    QStringList sessions;
    for (const FileRow& row : rows)
        sessions.append(row.session);
    EXPECT_EQ(sessions, (QStringList{"Good", "Good", "Good", "Local"}));

    const auto shown = fixture.messages.messages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown.first().text,
              QStringLiteral("Failed to map to network share \\\\%1\\share\r\nWrong user name or "
                             "password.")
                  .arg(samba().server()));
    EXPECT_EQ(shown.first().icon, MessageIcon::Error);
    EXPECT_FALSE(shown.first().text.contains("wrong-password"));
}

} // namespace
} // namespace tarvo
