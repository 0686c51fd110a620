#include "core/filelist/FileListBuilder.h"

#include "config/NetSession.h"
#include "core/filelist/FileListModel.h"
#include "core/filelist/FileListRefresher.h"
#include "core/filelist/FileTypeIcons.h"
#include "platform/ErrorCodes.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/ScriptedMessageService.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QSignalSpy>

namespace tarvo::test {
namespace {

QString PutLine(const QString& localFolder)
{
    return NetSessionLine("Put", "\\\\pc\\docs", "WG", localFolder, "\\", "None", "", "u", "p");
}

class FileListBuilderTest : public ::testing::Test
{
protected:
    FileListBuilder::Services services() { return {files, files, messages, icons}; }
    FileRows build() { return BuildFileList(FileListBuilder::TakeSnapshot(settings), services()); }
    static QStringList column(const FileRows& rows, int column)
    {
        QStringList texts;
        for (const FileRow& row : rows)
            texts.append(FileListModel::cellText(row, column));
        return texts;
    }
    void addSession(const QString& name, const QString& line)
    {
        settings.Sessions.insert(name, line);
        settings.DefaultSession.append(name);
    }

    MemoryFileSystem files;
    ScriptedMessageService messages;
    FileTypeIcons icons;
    Settings settings;
};

// Rows of equal names stay in session order; a folder written with or
// without its trailing separator gives one Path text; sizes are whole.
TEST_F(FileListBuilderTest, ListsEveryDefaultSessionSortedTogetherByName)
{
    files.addFile("\\docs\\b.TXT", QByteArray(2048, 'b'));
    files.addFile("\\docs\\A.txt", "a");
    files.addFile("\\docs\\c.doc", "c");
    files.setSize("\\docs\\c.doc", 5ULL << 30);
    files.addFolder("\\docs\\sub");
    addSession("Office", PutLine("\\docs"));
    addSession("Home", PutLine("\\docs\\"));

    const FileRows rows = build();

    EXPECT_EQ(column(rows, 0), QStringList({"A.txt", "A.txt", "b.TXT", "b.TXT", "c.doc", "c.doc"}));
    EXPECT_EQ(column(rows, 4), QStringList({"Office", "Home", "Office", "Home", "Office", "Home"}));
    EXPECT_EQ(column(rows, 3), QStringList(6, "\\docs\\"));
    EXPECT_EQ(column(rows, 2), QStringList({"0k", "0k", "2k", "2k", "5242880k", "5242880k"}));
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(rows[0].icon, rows[2].icon);
    EXPECT_NE(rows[0].icon, rows[4].icon);
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_EQ(messages.waitCursorDepth(), 0);
}

// The Show* keys hide the attributes they lack and require none; the
// patterns (";"-separated, trimmed, letter case ignored) need a dot where
// they have one; FilterExclude inverts them; folders show by ShowFolder alone.
struct FilterCase
{
    const char* name;
    quint32 show;
    const char* filter;
    bool exclude;
    bool showFolder;
    const char* listed;
};

class FilterTest : public FileListBuilderTest, public ::testing::WithParamInterface<FilterCase>
{};

TEST_P(FilterTest, DecidesWhatIsListed)
{
    const FilterCase& c = GetParam();
    const std::pair<const char*, quint32> entries[] = {
        {"bare.txt", 0},
        {"plain.txt", FileAttribute::Archive},
        {"README", FileAttribute::Archive},
        {"hidden.txt", FileAttribute::Hidden | FileAttribute::Archive},
        {"locked.txt", FileAttribute::ReadOnly},
        {"system.txt", FileAttribute::System},
        {"rom.txt", FileAttribute::InRom}};
    for (const auto& [name, attributes] : entries)
        files.addFile("\\d\\" + QString(name), "x", MemoryFileSystem::DefaultTime, attributes);
    files.addFolder("\\d\\sub.txt");
    settings.ShowFolder = c.showFolder;
    settings.ShowAttributes = c.show;
    settings.Filter = c.filter;
    settings.FilterExclude = c.exclude;
    addSession("S", PutLine("\\d"));

    EXPECT_EQ(column(build(), 0).join(' '), c.listed);
}

constexpr quint32 Usual = Settings::DefaultShowAttributes;
constexpr quint32 All = Usual | FileAttribute::InRom;

INSTANTIATE_TEST_SUITE_P(
    Masks, FilterTest,
    ::testing::Values(
        FilterCase{"NoShowKeys", 0, "*.*", false, false, "bare.txt"},
        FilterCase{"UsualMask", Usual, "*.*", false, false,
                   "bare.txt hidden.txt locked.txt plain.txt system.txt"},
        FilterCase{"Everything", All, "*", false, true,
                   "bare.txt hidden.txt locked.txt plain.txt README rom.txt sub.txt system.txt"},
        FilterCase{"Patterns", All, " hid*.TXT ;READ?E", false, false, "hidden.txt README"},
        FilterCase{"Excluded", All, "*.txt", true, false, "README"},
        FilterCase{"NoPattern", All, "", false, false, ""},
        FilterCase{"FoldersWhateverTheFilter", 0, "*.doc", false, true, "sub.txt"}),
    [](const auto& info) { return std::string(info.param.name); });

// A Get session's share is connected before its folder is listed. What
// cannot be listed says why, once, and never shows as empty; sessions
// without a direction, and an Ftp session's share, are left alone.
TEST_F(FileListBuilderTest, ListsEachSessionThatItCanAndSaysWhyNotForTheOthers)
{
    files.addFile("\\\\files\\share\\in\\r.txt", "r");
    files.addFile("\\d\\a.txt", "a");
    files.refuseConnection("\\\\files\\locked", PlatformError::LogonFailure);
    const auto get = [](const QString& share) {
        return NetSessionLine("Get", share, "WG", "\\In", "in", "None", "", "u", "p");
    };
    addSession("Remote", get("\\\\files\\share"));
    addSession("Locked", get("\\\\files\\locked"));
    addSession("Missing", PutLine("\\nowhere"));
    addSession("None", "Net,None,\\\\pc\\docs,WG,\\d,\\,None,,u,p");
    addSession("Ftp", "Ftp,Put,host,\\d");
    addSession("FtpGet", "Ftp,Get,host,\\d");
    addSession("Local", PutLine("\\d"));
    settings.DefaultSession.append("Unknown");

    int unlisted = 0;
    const FileRows rows =
        BuildFileList(FileListBuilder::TakeSnapshot(settings), services(), &unlisted);

    EXPECT_EQ(column(rows, 0), QStringList({"a.txt", "r.txt"}));
    EXPECT_EQ(column(rows, 3), QStringList({"\\d\\", "\\\\files\\share\\in\\"}));
    EXPECT_EQ(messages.texts(),
              QStringList({"Failed to map to network share \\\\files\\locked\r\n"
                           "Wrong user name or password.",
                           "Failed to list folder \\nowhere\\ of session Missing\r\n"
                           "The folder does not exist."}));
    EXPECT_EQ(unlisted, 2);
    EXPECT_TRUE(files.journal().contains("connect Remote \\\\files\\share"));
    EXPECT_TRUE(settings.Sessions.contains("Unknown")); // the lookup adds its empty line
}

// A refresh cancelled after one session connects and lists nothing more.
TEST_F(FileListBuilderTest, ACancelledRefreshGoesNoFurther)
{
    files.addFile("\\d\\a.txt", "a");
    addSession("S", PutLine("\\d"));
    addSession("T",
               NetSessionLine("Get", "\\\\pc\\docs", "WG", "\\In", "\\", "None", "", "u", "p"));
    CancelToken cancel;
    FileListBuilder builder(FileListBuilder::TakeSnapshot(settings), services());
    builder.setCancelToken(cancel);
    int batches = 0;
    builder.RefreshList([&](FileRows&&) {
        ++batches;
        cancel.cancel();
    });
    EXPECT_EQ(batches, 1);
    EXPECT_EQ(files.journal(), QStringList("list \\d"));
}

// The refresher as the window uses it: a job on a worker thread, its rows
// merged into the model here. Rows of a job that a newer start or a stop
// overtook never arrive.
TEST_F(FileListBuilderTest, ARefreshShowsOnlyTheRowsOfItsLastStart)
{
    for (int i = 0; i < 300; ++i)
        files.addFile(QStringLiteral("\\d\\f%1.txt").arg(i), "f");
    addSession("S", PutLine("\\d"));
    addSession("T", PutLine("\\d"));
    FileListModel model;
    FileListRefresher refresher(model, services());
    QSignalSpy finished(&refresher, &FileListRefresher::finished);
    // Once a job lists T, it has handed over S's rows.
    const auto startAndWaitForTheFirstRows = [&] {
        const qsizetype before = files.journal().size();
        refresher.start(FileListBuilder::TakeSnapshot(settings));
        ASSERT_TRUE(Await([&] { return files.journal().mid(before).count("list \\d") >= 2; }));
    };

    startAndWaitForTheFirstRows();
    refresher.start(FileListBuilder::TakeSnapshot(settings));
    ASSERT_TRUE(finished.wait());
    EXPECT_EQ(model.rowCount(), 600);

    startAndWaitForTheFirstRows();
    refresher.stop();
    EXPECT_FALSE(refresher.isRunning());
    QCoreApplication::processEvents(); // runs whatever the job posted
    EXPECT_EQ(model.rowCount(), 0);
}

} // namespace
} // namespace tarvo::test
