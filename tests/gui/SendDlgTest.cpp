#include "gui/main/SendDlg.h"

#include "config/NetSession.h"
#include "core/browse/FolderTreeModel.h"
#include "core/filelist/FileListRefresher.h"
#include "gui/browse/BrowseDlg.h"
#include "gui/browse/BrowseHandler.h"
#include "gui/main/FileListCtrl.h"
#include "gui/main/SendApp.h"
#include "tests/gui/MessageBoxWatcher.h"
#include "tests/gui/ModalScript.h"
#include "tests/support/BrowseTestSupport.h"
#include "tests/support/TempFiles.h"
#include "tests/support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

namespace tarvo {
namespace {

using test::PutLine;

// Returns once the window's thread has handled every event posted before the
// call: a stopped worker posts nothing after it has ended.
void WaitForEventsPostedSoFar(QObject& receiver)
{
    bool reached = false;
    QMetaObject::invokeMethod(
        &receiver, [&] { reached = true; }, Qt::QueuedConnection);
    ASSERT_TRUE(QTest::qWaitFor([&] { return reached; }));
}

// The main window on a real configuration file and a device root of real files.
class SendDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"b.txt", "A.txt", "c.txt", "d.txt"})
            device.write(QStringLiteral("docs/%1").arg(name), "x");
        device.write("pics/p.txt", "x");
    }

    // Writes the configuration and opens the window; waits for the first refresh.
    CSendDlg& open(const QString& settingLines, const QString& defaultSessions)
    {
        const QString config = device.write(
            "tarvo.txt",
            QStringLiteral("[Setting]\r\n%1\r\nDefaultSession=%2\r\n[Session]\r\n"
                           "Office=%3\r\nPictures=%4\r\nArchive=%5\r\n")
                .arg(settingLines, defaultSessions, PutLine("\\docs"), PutLine("\\pics"),
                     "Net,Get,\\\\127.0.0.1:1\\none,WG,\\In,\\,None,,u,p")
                .toLocal8Bit());
        app = std::make_unique<CSendApp>(config, device.path());
        EXPECT_TRUE(app->InitSockets());
        EXPECT_TRUE(app->LoadConfiguration());
        app->CreateImageLists();
        dialog = std::make_unique<CSendDlg>(*app, handlers);
        QSignalSpy finished(dialog.get(), &CSendDlg::refreshFinished);
        dialog->show();
        EXPECT_TRUE(finished.wait(10000));
        return *dialog;
    }

    template <typename T> T* child(const char* name) const
    {
        return dialog->findChild<T*>(QLatin1String(name));
    }
    QPushButton* button(const char* name) const { return child<QPushButton>(name); }
    CFileListCtrl& list() const { return dialog->fileList(); }

    void tapRow(int row, Qt::KeyboardModifiers modifiers = {}) const
    {
        const QRect cell = list().visualRect(list().model().index(row, 1));
        QTest::mouseClick(list().viewport(), Qt::LeftButton, modifiers, cell.center());
    }

    QList<int> selected() const { return list().selectedRows(); }

    test::TempFolder device;
    test::MessageBoxWatcher boxes;
    CSendDlg::Handlers handlers;
    std::unique_ptr<CSendApp> app;
    std::unique_ptr<CSendDlg> dialog;
};

TEST_F(SendDlgTest, ShowsEveryControlWithItsTextInTheTablesPlaces)
{
    CSendDlg& window = open("EnableOption=No", "Office");
    EXPECT_EQ(window.windowTitle(), "Tarvo");
    const struct
    {
        const char* name;
        const char* text;
    } buttons[] = {{"selectAllButton", "A"},   {"invertButton", "I"},
                   {"browseButton", "..."},    {"sendButton", "Send"},
                   {"optionButton", "Option"}, {"refreshButton", "Refresh"},
                   {"exitButton", "Exit"}};
    for (const auto& b : buttons) {
        ASSERT_NE(button(b.name), nullptr) << b.name;
        EXPECT_EQ(button(b.name)->text(), QLatin1String(b.text));
    }
    QStringList labels;
    for (const QLabel* label : window.findChildren<QLabel*>())
        labels.append(label->text());
    EXPECT_EQ(labels, (QStringList{"Session:", "Path:"}));
    QStringList headers;
    for (int column = 0; column < 5; ++column)
        headers.append(
            list().model().headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
    EXPECT_EQ(headers, (QStringList{" File Name ", " Date ", "Size", "Path", "Session"}));

    // EnableOption=No hides Option; the others keep the table's order.
    EXPECT_FALSE(button("optionButton")->isVisible());
    EXPECT_TRUE(button("refreshButton")->isVisible());
    const QRect sessionBox = child<QComboBox>("sessionBox")->geometry();
    EXPECT_LT(sessionBox.right(), button("selectAllButton")->geometry().left());
    EXPECT_LT(button("selectAllButton")->geometry().right(),
              button("invertButton")->geometry().left());
    EXPECT_LT(list().geometry().bottom(), button("sendButton")->geometry().top());
    EXPECT_GT(list().geometry().top(), child<QLineEdit>("pathBox")->geometry().bottom());
    EXPECT_LT(button("sendButton")->geometry().right(), button("refreshButton")->geometry().left());
    EXPECT_LT(button("refreshButton")->geometry().right(), button("exitButton")->geometry().left());
}

TEST_F(SendDlgTest, SendOptionAndBrowseRunTheHandlersPluggedIn)
{
    QStringList calls;
    handlers.send = [&](CSendDlg& window) { calls.append("send " + window.SessionText()); };
    handlers.option = [&](CSendDlg&) { calls.append("option"); };
    handlers.browse = [&](CSendDlg& window) { calls.append("browse " + window.pathBox().text()); };
    open("EnableOption=Yes", "Office");
    for (const char* name : {"sendButton", "optionButton", "browseButton"}) {
        EXPECT_TRUE(button(name)->isVisible() && button(name)->isEnabled()) << name;
        QTest::mouseClick(button(name), Qt::LeftButton);
    }
    EXPECT_EQ(calls, (QStringList{"send Office", "option", "browse \\docs\\"}));
}

TEST_F(SendDlgTest, TheSessionBoxDrivesThePathBoxAndTheSendLabelOnly)
{
    CSendDlg& window = open("Filter=*", "Pictures,Office,Archive");
    auto* box = child<QComboBox>("sessionBox");
    QStringList entries;
    for (int i = 0; i < box->count(); ++i)
        entries.append(box->itemText(i));
    EXPECT_EQ(entries, (QStringList{"Archive", "Office", "Pictures"}));
    EXPECT_EQ(window.SessionText(), "Pictures");
    EXPECT_EQ(window.pathBox().text(), "\\pics\\");
    EXPECT_EQ(button("sendButton")->text(), "Send");
    const int rows = list().model().rowCount();
    EXPECT_EQ(rows, 5);
    // The Get session's share cannot be reached: its message, once.
    EXPECT_EQ(boxes.texts(),
              QStringList{"Failed to map to network share \\\\127.0.0.1:1\\none\r\nNo "
                          "server answers at 127.0.0.1, port 1."});

    box->setFocus();
    QTest::keyClick(box, Qt::Key_Up);
    QTest::keyClick(box, Qt::Key_Up);
    EXPECT_EQ(window.SessionText(), "Archive");
    EXPECT_EQ(button("sendButton")->text(), "Receive");
    EXPECT_EQ(window.pathBox().text(), "\\\\127.0.0.1:1\\none\\");
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(window.SessionText(), "Office");
    EXPECT_EQ(button("sendButton")->text(), "Send");
    EXPECT_EQ(window.pathBox().text(), "\\docs\\");
    EXPECT_EQ(list().model().rowCount(), rows);
}

TEST_F(SendDlgTest, TapsToggleOneRowAndShiftTapsAddTheRowsFromTheLastTap)
{
    open("DefaultSelect=No\r\nFilter=*", "Office");
    ASSERT_EQ(list().model().rowCount(), 4);
    EXPECT_TRUE(selected().isEmpty());
    tapRow(0);
    tapRow(2);
    EXPECT_EQ(selected(), (QList<int>{0, 2}));
    tapRow(0);
    EXPECT_EQ(selected(), (QList<int>{2}));
    EXPECT_EQ(list().currentIndex().row(), 0);
    tapRow(3);
    EXPECT_EQ(selected(), (QList<int>{2, 3}));

    tapRow(0);
    tapRow(0);
    tapRow(1, Qt::ShiftModifier); // from row 0, which the taps left unselected
    EXPECT_EQ(selected(), (QList<int>{0, 1, 2, 3}));
    tapRow(0, Qt::ShiftModifier);
    EXPECT_EQ(selected(), (QList<int>{0, 2, 3})) << "the range shrinks, the rest stays";
}

TEST_F(SendDlgTest, SelectAllAndInvertWorkWhateverDefaultSelectSays)
{
    open("DefaultSelect=No\r\nFilter=*", "Office");
    QTest::mouseClick(button("selectAllButton"), Qt::LeftButton);
    EXPECT_EQ(selected(), (QList<int>{0, 1, 2, 3}));
    EXPECT_TRUE(list().hasFocus());
    QTest::mouseClick(button("invertButton"), Qt::LeftButton);
    EXPECT_TRUE(selected().isEmpty());
    tapRow(1);
    QTest::mouseClick(button("invertButton"), Qt::LeftButton);
    EXPECT_EQ(selected(), (QList<int>{0, 2, 3}));
    QTest::mouseClick(button("invertButton"), Qt::LeftButton);
    EXPECT_EQ(selected(), (QList<int>{1}));
}

TEST_F(SendDlgTest, ARefreshAfterAnotherNeverDoublesRowsAndSelectsByDefaultSelect)
{
    CSendDlg& window = open("DefaultSelect=Yes\r\nFilter=*.txt", "Office,Pictures");
    EXPECT_EQ(list().model().rowCount(), 5);
    EXPECT_EQ(selected().size(), 5);
    QStringList names;
    for (const FileRow& row : list().model().rows())
        names.append(row.name);
    EXPECT_EQ(names, (QStringList{"A.txt", "b.txt", "c.txt", "d.txt", "p.txt"}));

    device.write("docs/e.txt", "x");
    QSignalSpy finished(&window, &CSendDlg::refreshFinished);
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(button("refreshButton"), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(10000));
    WaitForEventsPostedSoFar(window);
    EXPECT_EQ(finished.size(), 1);
    EXPECT_EQ(list().model().rowCount(), 6);
    EXPECT_EQ(selected().size(), 6);
}

TEST_F(SendDlgTest, ExitClosesTheWindowEvenDuringARefresh)
{
    CSendDlg& window = open("Filter=*", "Office");
    QSignalSpy rejected(&window, &QDialog::rejected);
    window.StartRefresh();
    QTest::mouseClick(button("exitButton"), Qt::LeftButton);
    EXPECT_EQ(rejected.size(), 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Rejected);
    EXPECT_FALSE(window.findChild<FileListRefresher*>()->isRunning());
    // Nothing of the stopped job arrives later.
    const int rows = list().model().rowCount();
    WaitForEventsPostedSoFar(window);
    EXPECT_EQ(list().model().rowCount(), rows);
}

TEST_F(SendDlgTest, ArrowsKeepTheSelectionSpaceTogglesAndShiftArrowsExtendARange)
{
    open("DefaultSelect=No\r\nFilter=*", "Office");
    ASSERT_EQ(list().model().rowCount(), 4);
    const auto keys = [&](QList<Qt::Key> keys, Qt::KeyboardModifiers modifiers = {}) {
        for (Qt::Key key : keys)
            QTest::keyClick(&list(), key, modifiers);
    };
    tapRow(3);
    keys({Qt::Key_Up, Qt::Key_Up, Qt::Key_Up});
    EXPECT_EQ(list().currentIndex().row(), 0);
    EXPECT_EQ(selected(), (QList<int>{3})) << "moving keeps the tapped row";
    keys({Qt::Key_Space});
    EXPECT_EQ(selected(), (QList<int>{0, 3}));
    keys({Qt::Key_Space});
    EXPECT_EQ(selected(), (QList<int>{3}));

    keys({Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}, Qt::ShiftModifier);
    EXPECT_EQ(selected(), (QList<int>{0, 1, 3}));
    // Moving on keeps the range, and the next range starts where the move ends.
    keys({Qt::Key_Down});
    EXPECT_EQ(selected(), (QList<int>{0, 1, 3}));
    keys({Qt::Key_Down}, Qt::ShiftModifier);
    EXPECT_EQ(selected(), (QList<int>{0, 1, 2, 3}));

    // "I" inverts a range too, and the next range does not undo that.
    QTest::mouseClick(button("invertButton"), Qt::LeftButton);
    EXPECT_TRUE(selected().isEmpty());
    keys({Qt::Key_Up}, Qt::ShiftModifier);
    EXPECT_EQ(selected(), (QList<int>{2}));
}

TEST_F(SendDlgTest, ThePathBoxTakesAFolderWithEnterAndOtherwiseShowsTheSessionsOwn)
{
    CSendDlg& window = open("DefaultSelect=No\r\nFilter=*", "Office");
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const QByteArray configBytes = test::TempFolder::read(app->configFilePath());
    QLineEdit& box = window.pathBox();
    const auto enter = [&](const QString& text) {
        box.setFocus();
        box.selectAll();
        QTest::keyClicks(&box, text);
        QTest::keyClick(&box, Qt::Key_Return);
    };
    QSignalSpy refreshed(&window, &CSendDlg::refreshFinished);
    enter("/pics/");
    EXPECT_EQ(box.text(), "\\pics\\");
    const QString line = app->settings().Sessions.value("Office");
    NetSession session;
    ParseNetSession(line, session);
    EXPECT_EQ(session.LocalFolder, "\\pics");
    ASSERT_TRUE(refreshed.wait(10000));
    EXPECT_EQ(list().model().rowCount(), 1) << "the list shows the new folder";
    EXPECT_EQ(test::TempFolder::read(app->configFilePath()), configBytes)
        << "written only when Options closes with OK";

    // Refused: its message, and the session's folder again.
    enter("\\\\pc\\docs");
    EXPECT_EQ(boxes.texts(), QStringList{"\\\\pc\\docs\r\nis a network path; the session "
                                         "\"Office\" sends the files of a folder of this device."});
    EXPECT_EQ(box.text(), "\\pics\\");
    EXPECT_EQ(app->settings().Sessions.value("Office"), line);

    // Typing without Enter counts for nothing: Esc, or leaving the box, puts it back.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    box.setFocus();
    QTest::keyClicks(&box, "x");
    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_EQ(box.text(), "\\pics\\");
    EXPECT_TRUE(window.isVisible());
    QTest::keyClicks(&box, "x");
    QTest::keyClick(&box, Qt::Key_Tab);
    EXPECT_FALSE(box.hasFocus());
    EXPECT_EQ(box.text(), "\\pics\\");
    EXPECT_EQ(app->settings().Sessions.value("Office"), line);
}

TEST_F(SendDlgTest, ThePickIsComparedWithTheSessionsFolderNotWithTheBoxsText)
{
    handlers.browse = &OnBrowse;
    CSendDlg& window = open("DefaultSelect=No\r\nFilter=*", "Office");
    // Typed, not entered: it must not make the pick of the same folder look like no change.
    window.pathBox().setText("\\pics");
    test::ModalScript script({[](QDialog& dialog) {
        auto& browser = static_cast<CBrowseDlg&>(dialog);
        QModelIndex pics;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            pics = test::ChildNamed(browser.model(), browser.model().rootItem(), "pics");
            return pics.isValid();
        }));
        browser.tree().setCurrentIndex(pics);
        browser.accept();
    }});
    QSignalSpy refreshed(&window, &CSendDlg::refreshFinished);
    button("browseButton")->click();
    EXPECT_EQ(script.titles(), QStringList{"Browse"});
    NetSession session;
    ParseNetSession(app->settings().Sessions.value("Office"), session);
    EXPECT_EQ(session.LocalFolder, "\\pics");
    EXPECT_EQ(window.pathBox().text(), "\\pics\\");
    ASSERT_TRUE(refreshed.wait(10000));
    EXPECT_EQ(list().model().rowCount(), 1);
}

} // namespace
} // namespace tarvo
