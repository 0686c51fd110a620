#include "core/filelist/FileListModel.h"
#include "core/filelist/FileListRefresher.h"
#include "tests/support/UiTestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QSignalSpy>

namespace tarvo {
namespace {

using test::DeviceFixture;
using test::PutLine;

class FileListBuilderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(fixture.platform); }

    FileRows build(Settings& live)
    {
        return BuildFileList(FileListBuilder::TakeSnapshot(live), fixture.services());
    }

    static QStringList Column(const FileRows& rows, int column)
    {
        QStringList texts;
        for (const FileRow& row : rows)
            texts.append(FileListModel::cellText(row, column));
        return texts;
    }

    DeviceFixture fixture;
};

TEST_F(FileListBuilderTest, ListsEveryDefaultSessionSortedTogetherByName)
{
    fixture.makeFile("docs/b.txt", 2048);
    fixture.makeFile("docs/A.txt", 10);
    fixture.makeFile("docs/c.doc");
    fixture.makeFile("docs/sub/deep.txt");
    Settings settings;
    settings.Sessions.insert("Office", PutLine("\\docs"));
    settings.Sessions.insert("Home", PutLine("\\docs\\"));
    settings.DefaultSession = {"Office", "Home"};

    const FileRows rows = build(settings);
    // The same folder for two sessions: every file twice, rows of equal names
    // in session order; the sub-folder is not listed (ShowFolder off).
    EXPECT_EQ(Column(rows, 0), (QStringList{"A.txt", "A.txt", "b.txt", "b.txt", "c.doc", "c.doc"}));
    EXPECT_EQ(Column(rows, 4), (QStringList{"Office", "Home", "Office", "Home", "Office", "Home"}));
    // The folder written with and without its trailing separator gives one Path text.
    EXPECT_EQ(Column(rows, 3).at(0), "\\docs\\");
    EXPECT_EQ(Column(rows, 3).at(1), "\\docs\\");
    EXPECT_EQ(Column(rows, 2).mid(0, 3), (QStringList{"0k", "0k", "2k"}));
    EXPECT_FALSE(rows.at(0).date.isEmpty());
    EXPECT_EQ(fixture.messages.waitCursorDepth(), 0);
    EXPECT_GE(fixture.messages.waitCursorCount(), 2);
    EXPECT_TRUE(fixture.messages.texts().isEmpty());
}

TEST_F(FileListBuilderTest, GivesOneIconPerExtensionAndTheFolderIconToFolders)
{
    fixture.makeFile("d/one.txt");
    fixture.makeFile("d/TWO.TXT");
    fixture.makeFile("d/three.pdf");
    fixture.makeFile("d/noext");
    fixture.makeFolder("d/sub.txt");
    Settings settings;
    settings.ShowFolder = true;
    settings.Filter = "*";
    settings.Sessions.insert("S", PutLine("\\d"));
    settings.DefaultSession = {"S"};

    const FileRows rows = build(settings);
    ASSERT_EQ(Column(rows, 0),
              (QStringList{"noext", "one.txt", "sub.txt", "three.pdf", "TWO.TXT"}));
    EXPECT_EQ(rows.at(1).icon, rows.at(4).icon);
    EXPECT_NE(rows.at(1).icon, rows.at(3).icon);
    EXPECT_NE(rows.at(0).icon, rows.at(1).icon);
    EXPECT_EQ(rows.at(2).icon, FileTypeIcons::FolderIndex);
    EXPECT_EQ(fixture.icons.type(rows.at(3).icon).extension, ".pdf");
}

TEST_F(FileListBuilderTest, AppliesTheAttributeMaskToHiddenAndReadOnlyFiles)
{
    fixture.makeFile("d/.hidden.txt");
    fixture.makeFile("d/plain.txt");
    fixture.makeFile("d/locked.txt");
    QFile::setPermissions(fixture.device.filePath("d/locked.txt"), QFile::ReadOwner);
    Settings settings;
    settings.Sessions.insert("S", PutLine("\\d"));
    settings.DefaultSession = {"S"};

    settings.ShowAttributes = 0;
    EXPECT_EQ(Column(build(settings), 0), (QStringList{"plain.txt"}));
    settings.ShowAttributes = FileAttribute::Hidden | FileAttribute::ReadOnly;
    EXPECT_EQ(Column(build(settings), 0), (QStringList{".hidden.txt", "locked.txt", "plain.txt"}));
}

TEST_F(FileListBuilderTest, SkipsUnknownAndDirectionlessSessionsAndReportsUnreadableFolders)
{
    fixture.makeFile("d/a.txt");
    Settings settings;
    settings.Sessions.insert("Missing", PutLine("\\nowhere"));
    settings.Sessions.insert("None", "Net,None,\\\\pc\\docs,WG,\\d,\\,None,,u,p");
    settings.Sessions.insert("Ftp", "Ftp,Put,host,\\d");
    settings.Sessions.insert("FtpGet", "Ftp,Get,host,\\d"); // has no share: never connected
    settings.Sessions.insert("Good", PutLine("\\d"));
    settings.DefaultSession = {"Unknown", "Missing", "None", "Ftp", "FtpGet", "Good"};

    const FileRows rows = build(settings);
    EXPECT_EQ(Column(rows, 4), (QStringList{"Good"}));
    // The lookup of an unknown name adds it to the live table with an empty line.
    EXPECT_TRUE(settings.Sessions.contains("Unknown"));
    EXPECT_EQ(settings.Sessions.value("Unknown"), QString());
    // A folder that cannot be listed is never shown as merely empty.
    EXPECT_EQ(fixture.messages.texts(),
              QStringList("Failed to list folder \\nowhere\\ of session Missing\r\nThe folder "
                          "does not exist."));

    FileListBuilder builder(settings, fixture.services());
    FileRows none;
    EXPECT_EQ(builder.FillFromFolder("Missing", "\\nowhere", none), -1);
    EXPECT_EQ(builder.FillFromFolder("Good", "\\d", none), 1);

    settings.DefaultSession.clear();
    EXPECT_TRUE(build(settings).isEmpty());
}

TEST_F(FileListBuilderTest, AFolderAddsItsRowsSortedAfterTheRowsAlreadyThere)
{
    QStringList names;
    for (int i = 0; i < 60; ++i)
        names.append(QStringLiteral("%1%2.txt").arg(QChar(i % 2 ? u'F' : u'f')).arg((i * 37) % 60));
    for (const QString& name : names)
        fixture.makeFile("d/" + name);
    Settings settings;
    FileListBuilder builder(settings, fixture.services());
    FileRows rows{FileRow{"zz.txt", {}, {}, {}, {}, 0}};

    ASSERT_EQ(builder.FillFromFolder("S", "\\d", rows), 60);
    ASSERT_EQ(rows.size(), 61);
    EXPECT_EQ(rows.constFirst().name, "zz.txt");
    EXPECT_TRUE(std::is_sorted(rows.cbegin() + 1, rows.cend(), FileRowLess));
    QStringList listed = Column(rows, 0).mid(1);
    listed.sort();
    names.sort();
    EXPECT_EQ(listed, names);
    EXPECT_EQ(Column(rows, 4).mid(1), QStringList(60, "S"));
}

TEST_F(FileListBuilderTest, StopsBetweenEntriesWhenCancelled)
{
    for (int i = 0; i < 50; ++i)
        fixture.makeFile(QStringLiteral("d/f%1.txt").arg(i));
    Settings settings;
    settings.Sessions.insert("S", PutLine("\\d"));
    settings.DefaultSession = {"S", "S"};
    CancelToken cancel;
    cancel.cancel();
    FileListBuilder builder(settings, fixture.services());
    builder.setCancelToken(cancel);
    int batches = 0;
    EXPECT_EQ(builder.RefreshList([&](FileRows&&) { ++batches; }), 0);
    EXPECT_EQ(batches, 0);
}

// The refresher as the window uses it: jobs on worker threads, rows merged into
// the model on this thread.
TEST_F(FileListBuilderTest, ARefreshStartedDuringAnotherNeverDoublesRows)
{
    for (int i = 0; i < 300; ++i)
        fixture.makeFile(QStringLiteral("d/f%1.txt").arg(i));
    Settings settings;
    settings.Sessions.insert("S", PutLine("\\d"));
    settings.Sessions.insert("T", PutLine("\\d"));
    settings.DefaultSession = {"S", "T"};

    FileListModel model;
    FileListRefresher refresher(model, fixture.services());
    QSignalSpy finished(&refresher, &FileListRefresher::finished);
    for (int i = 0; i < 5; ++i) {
        refresher.start(FileListBuilder::TakeSnapshot(settings));
        QCoreApplication::processEvents();
    }
    // A refresh that ended before the next start reports its end (on a fast
    // machine some do); one that a newer start cut short never does.
    if (refresher.isRunning()) {
        ASSERT_TRUE(finished.wait(10000));
    }
    EXPECT_GE(finished.size(), 1);
    EXPECT_LE(finished.size(), 5);
    EXPECT_EQ(model.rowCount(), 600);
    EXPECT_FALSE(refresher.isRunning());
    EXPECT_TRUE(finished.last().first().toBool());

    // Stopping in the middle leaves no thread behind and adds nothing later.
    refresher.start(FileListBuilder::TakeSnapshot(settings));
    refresher.stop();
    EXPECT_FALSE(refresher.isRunning());
    const int afterStop = model.rowCount();
    QCoreApplication::processEvents();
    EXPECT_EQ(model.rowCount(), afterStop);
}

} // namespace
} // namespace tarvo
