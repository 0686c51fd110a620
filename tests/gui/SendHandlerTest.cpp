// Send in the main window against the test Samba server.

#include "tests/support/UiTestSupport.h"

namespace tarvo::test {
namespace {

class SendHandlerTest : public SambaTest, public MainWindowFixture
{};

// Send pressed while a refresh still lists a big folder of the share for a
// Get session: the Progress dialog runs modally over the window, the replace
// question and the failure come from the window's thread, the files arrive,
// and the refresh after Done lists every file once. The row of a file that
// was not sent stays marked through that refresh, until the user's own.
TEST_F(SendHandlerTest, SendDuringARefreshOfAShareSendsTheSelectedRowsAndTheListEndsWhole)
{
    constexpr int ShareFiles = 3000;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        device.write(QStringLiteral("docs/") + name, name);
    const QString out = samba().shareFolder() + "/out/";
    ASSERT_TRUE(QDir().mkpath(out) && QDir().mkpath(samba().shareFolder() + "/in"));
    for (int i = 0; i < ShareFiles; ++i)
        ASSERT_TRUE(QFile(samba().shareFolder() + QStringLiteral("/in/f%1.dat").arg(i))
                        .open(QIODevice::WriteOnly));
    // b.txt is on the share already, the same: Sync asks before it replaces it.
    ASSERT_TRUE(QFile::copy(device.filePath("docs/b.txt"), out + "b.txt"));
    ASSERT_TRUE(QDir().mkpath(out + "d.txt")); // a folder where d.txt would go
    for (const QString& path : {device.filePath("docs/b.txt"), out + "b.txt"}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.setFileTime({QDate(2026, 11, 2), QTime(9, 30), Qt::UTC},
                         QFileDevice::FileModificationTime);
    }
    const QString logon = ",tester," + samba().password();
    CSendDlg& window = open(
        "ShowArchive=Yes\r\nDefaultSelect=No\r\nDefaultChoice=None\r\nDefaultSession=Office,Inbox",
        "Office=Net,Put," + samba().shareText() + ",WG,\\docs,\\out,Sync," + logon +
            "\r\nInbox=Net,Get," + samba().shareText() + ",WG,\\In,\\in,None," + logon,
        {OnSend, {}, {}, OnPreview, {}});
    CFileListCtrl& list = window.fileList();
    FileListModel& model = list.model();

    qsizetype selectedDuringRun = -1;
    QString summary;
    QStringList replaceQuestions;
    ModalWatcher<CProgressDlg> user([&](CProgressDlg& progress) {
        selectedDuringRun = list.selectedRows().size();
        auto* done = progress.findChild<QPushButton*>("done");
        EXPECT_TRUE(QTest::qWaitFor([&] { return done->isVisible(); }, 20000));
        summary = progress.findChild<QLabel*>("summary")->text();
        done->click();
    });
    ModalWatcher<CReplaceDlg> replace([&](CReplaceDlg& dialog) {
        replaceQuestions.append(dialog.findChild<QLabel*>("message")->text());
        dialog.findChild<QPushButton*>("Yes To All")->click();
    });

    QTest::mouseClick(button("refreshButton"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.rowCount() >= 4; }, 10000));
    for (int row : {0, 1, 2, 3})
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.visualRect(model.index(row, 1)).center());
    ASSERT_EQ(list.selectedRows(), (QList<int>{0, 1, 2, 3}));
    ASSERT_TRUE(QFile::remove(device.filePath("docs/c.txt"))); // its copy fails with a message
    QTest::mouseClick(button("sendButton"), Qt::LeftButton);

    EXPECT_EQ(selectedDuringRun, 4) << "the list is not refreshed under the run";
    EXPECT_EQ(summary, "2 of 4 files are transferred successfully");
    EXPECT_EQ(TempFolder::read(out + "a.txt"), "a.txt");
    EXPECT_EQ(replaceQuestions, QStringList{"A file named 'b.txt' already exists."});
    ASSERT_EQ(boxes.texts.size(), 2);
    EXPECT_EQ(boxes.texts.first(), "Failed to copy file \\docs\\c.txt to " + samba().shareText() +
                                       "\\out\\c.txt\r\nThe file does not exist (any more).");
    EXPECT_TRUE(boxes.texts.last().startsWith("Failed to copy file \\docs\\d.txt"));
    EXPECT_TRUE(boxes.allOnGuiThread);

    auto* refresher = window.findChild<FileListRefresher*>();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !refresher->isRunning(); }, 20000));
    EXPECT_EQ(model.rowCount(), ShareFiles + 3) << "each file once";
    const auto marked = [&model] {
        QStringList names;
        for (int row = 0; row < model.rowCount(); ++row) {
            if (model.index(row, 0).data(FileListModel::FailureRole).isValid())
                names.append(model.row(row).name);
        }
        return names;
    };
    EXPECT_EQ(marked(), QStringList{"d.txt"});
    QTest::mouseClick(button("refreshButton"), Qt::LeftButton);
    EXPECT_EQ(marked(), QStringList());
}

} // namespace
} // namespace tarvo::test
