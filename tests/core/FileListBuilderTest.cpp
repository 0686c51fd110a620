#include "core/filelist/FileListBuilder.h"

#include "core/filelist/FileListModel.h"
#include "core/filelist/FileListRefresher.h"
#include "core/filelist/FileTypeIcons.h"
#include "core/shares/ShareConnector.h"
#include "tests/support/MemoryRunFixture.h"

#include <QCoreApplication>
#include <QSignalSpy>

namespace tarvo::test {
namespace {

class FileListBuilderTest : public MemoryRunFixture
{
protected:
    FileListBuilder::Services services() { return {files, files, messages, icons}; }
    static QStringList column(const FileRows& rows, int column)
    {
        QStringList texts;
        for (const FileRow& row : rows)
            texts.append(FileListModel::cellText(row, column));
        return texts;
    }

    FileTypeIcons icons;
    Settings& settings = params.settings;
};

// The Show* keys hide the attributes they lack and require none; the
// patterns (";"-separated, trimmed, letter case ignored) need a dot where
// they have one; FilterExclude inverts them; folders show by ShowFolder alone.
TEST_F(FileListBuilderTest, TheFilterDecidesWhatIsListed)
{
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
    addSession("S", line("Put", "\\d", "\\"));
    const quint32 usual = Settings::DefaultShowAttributes, all = usual | FileAttribute::InRom;
    // Each row: the Show mask, Filter, FilterExclude, ShowFolder, and what is listed.
    for (const auto& [show, filter, exclude, folders, names] :
         {std::tuple{0u, "*.*", false, false, "bare.txt"},
          {usual, "*.*", false, false, "bare.txt hidden.txt locked.txt plain.txt system.txt"},
          {all, " hid*.TXT ;READ?E", false, false, "hidden.txt README"},
          {all, "*.txt", true, false, "README"},
          {all, "", false, false, ""},
          {0u, "*.doc", false, true, "sub.txt"}}) {
        settings.ShowAttributes = show;
        settings.Filter = filter;
        settings.FilterExclude = exclude;
        settings.ShowFolder = folders;
        const FileRows rows = BuildFileList(FileListBuilder::TakeSnapshot(settings), services());
        EXPECT_EQ(column(rows, 0).join(' '), names) << filter;
    }
}

// The rows of every default session sorted together by name, rows of equal
// names in session order; sizes are whole; each extension has its icon. The
// Get sessions' shares are connected before any folder is listed. What
// cannot be listed says why, once per server and cause, and never shows as
// empty; sessions without a direction, and an Ftp session's share, are left
// alone. Names that would lead out of the folder, as a hostile server could
// list them, never show; files whose names cannot be sent are told with
// their folder and session, and counted.
TEST_F(FileListBuilderTest, ListsEachSessionThatItCanAndSaysWhyNotForTheOthers)
{
    files.addFiles("\\\\files\\share\\in\\r.txt=r|\\d\\a.txt=a|\\d\\c.doc=c|\\odd\\even.txt=e");
    files.addFile("\\d\\b.TXT", QByteArray(2048, 'b'));
    files.setSize("\\d\\c.doc", 5ULL << 30);
    files.addFolder("\\d\\sub");
    files.listAlso("\\d", {"..", "../up.txt", "C:\\x.txt"});
    files.refuseConnection("\\\\files\\locked", PlatformError::LogonFailure);
    files.listAlso("\\odd", {"caf\\xE9.txt", "a\\b.doc"}, true);
    addSession("Odd", line("Put", "\\odd", "\\"));
    addSession("Remote", "Net,Get,\\\\files\\share,WG,\\In,in");
    addSession("Locked", "Net,Get,\\\\files\\locked,WG,\\In,in");
    addSession("Locked2", "Net,Get,\\\\files\\locked,WG,\\In,in");
    addSession("Missing", line("Put", "\\nowhere", "\\"));
    addSession("None", "Net,None,\\\\pc\\docs,WG,\\d,\\,None,,u,p");
    addSession("Ftp", "Ftp,Put,host,\\d");
    addSession("FtpGet", "Ftp,Get,host,\\d");
    addSession("Local", line("Put", "\\d", "\\"));
    addSession("Home", line("Put", "\\d\\", "\\"));
    settings.DefaultSession.append("Unknown");

    int unlisted = 0;
    FileRows unsendable;
    const FileRows rows =
        BuildFileList(FileListBuilder::TakeSnapshot(settings), services(), &unlisted, &unsendable);

    EXPECT_EQ(column(rows, 0).join(' '), "a.txt a.txt b.TXT b.TXT c.doc c.doc even.txt r.txt");
    EXPECT_EQ(column(rows, 2).join(' '), "0k 0k 2k 2k 5242880k 5242880k 0k 0k");
    EXPECT_NE(rows.value(0).icon, rows.value(4).icon); // .txt and .doc
    EXPECT_EQ(messages.texts(),
              QStringList({"Failed to map to network share \\\\files\\locked\r\n"
                           "Wrong user name or password.\r\nSessions: Locked, Locked2",
                           "2 files in \\odd\\ of session Odd cannot be sent: their names are "
                           "not valid text (UTF-8) or hold a backslash, which no path to a share "
                           "can carry. Rename them to send them.\r\ncaf\\xE9.txt\r\na\\b.doc",
                           "Failed to list folder \\nowhere\\ of session Missing\r\n"
                           "The folder does not exist."}));
    EXPECT_EQ(unlisted, 3);
    EXPECT_EQ(column(unsendable, 4), QStringList({"Odd", "Odd"}));
    EXPECT_TRUE(files.journal().contains("connect Remote \\\\files\\share"));
    EXPECT_TRUE(settings.Sessions.contains("Unknown")); // the lookup adds its empty line

    // Cancelled after its first session, a refresh lists nothing more.
    FileListBuilder builder(FileListBuilder::TakeSnapshot(settings), services());
    builder.setStopToken(stop.get_token());
    const qsizetype before = files.journal().size();
    builder.RefreshList([&](FileRows&&) { stop.request_stop(); });
    EXPECT_EQ(files.journal().mid(before).filter("list ").size(), 1);
}

// The refresher as the window uses it: a job on a worker thread, its rows
// merged into the model here. Rows of a job that a newer start or a stop
// overtook never arrive.
TEST_F(FileListBuilderTest, ARefreshShowsOnlyTheRowsOfItsLastStart)
{
    for (int i = 0; i < 300; ++i)
        files.addFile(QStringLiteral("\\d\\f%1.txt").arg(i), "f");
    addSession("S", line("Put", "\\d", "\\"));
    addSession("T", line("Put", "\\d", "\\"));
    FileListModel model;
    FileListRefresher refresher(model, services());
    QSignalSpy finished(&refresher, &FileListRefresher::finished);
    // Once a job lists T, it has handed over S's rows.
    const auto startAndWaitForTheFirstRows = [&] {
        const qsizetype before = files.journal().size();
        refresher.start(FileListBuilder::TakeSnapshot(settings));
        files.waitUntil([&] { return files.journal().mid(before).count("list \\d") >= 2; });
    };

    startAndWaitForTheFirstRows();
    refresher.start(FileListBuilder::TakeSnapshot(settings));
    ASSERT_TRUE(finished.wait());
    EXPECT_EQ(model.rowCount(), 600);

    startAndWaitForTheFirstRows();
    refresher.stop();
    QCoreApplication::processEvents(); // runs whatever the job posted
    EXPECT_EQ(model.rowCount(), 0);
}

using ShareConnectorTest = MemoryRunFixture;

// A connection in use (an open file, a listing) is kept if it is to the
// session's share, and refused if to another; an idle one is made anew, so
// that a changed password shows.
TEST_F(ShareConnectorTest, ABusyConnectionIsKeptAnIdleOneLogsOnAgain)
{
    // The message of a failed connection, after its first line.
    const auto connect = [this](const QString& share, int refusal = 0) -> QString {
        if (refusal)
            files.refuseConnection(share, refusal);
        messages.clear();
        const QString line = NetSessionLine("Put", share, "", "\\Docs", "\\", "", "", "u", "p");
        const int result = ConnectSessionShare(Session::FromLine("Office", line), files, messages);
        EXPECT_EQ(messages.waitCursorDepth(), 0);
        EXPECT_EQ(result == 0, messages.texts().isEmpty());
        if (result == 0)
            return "connected";
        EXPECT_EQ(messages.messages().first().icon, MessageIcon::Error);
        return messages.texts().join('|').remove("Failed to map to network share " + share +
                                                 "\r\n");
    };
    EXPECT_EQ(connect("\\\\pc\\docs"), "connected");
    EXPECT_EQ(messages.waitCursorCount(), 1);
    files.failNext(MemoryFileSystem::Op::Disconnect, "Office", PlatformError::DeviceInUse);
    EXPECT_EQ(connect("\\\\pc\\docs", PlatformError::LogonFailure), "connected");
    files.failNext(MemoryFileSystem::Op::Disconnect, "Office", PlatformError::OpenFiles);
    EXPECT_EQ(connect("\\\\pc\\other"),
              "The connection of this name is in use for another share.\r\nSession: Office");
    EXPECT_EQ(connect("\\\\pc\\docs"), "Wrong user name or password.\r\nSession: Office");
}

} // namespace
} // namespace tarvo::test
