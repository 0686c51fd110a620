// The main window's controls on a real configuration file and device root.
#include "tests/support/UiTestSupport.h"

namespace tarvo::test {
namespace {

// Presses "..." and, once the tree is read, picks the root's child name.
void BrowseTo(CSendDlg& window, const QString& name)
{
    ModalScript user({[name](QDialog& shown) {
        auto& dialog = static_cast<CBrowseDlg&>(shown);
        if (WaitUntilOpen(dialog))
            dialog.tree().setCurrentIndex(Child(dialog, name));
        dialog.findChild<QPushButton*>("okButton")->click();
    }});
    window.findChild<QPushButton*>("browseButton")->click();
    EXPECT_EQ(user.titles, QStringList{"Browse"});
}

class SendDlgTest : public ::testing::Test, public MainWindowFixture
{
protected:
    CSendDlg& openWith(const QString& settings, CSendDlg::Handlers handlers = {})
    {
        for (const char* name :
             {"docs/b.txt", "docs/A.txt", "docs/c.txt", "docs/d.txt", "pics/p.txt"})
            device.write(name, "x");
        // Every file written to a share has the Archive attribute.
        const QString archive = settings.contains("ShowArchive") ? "" : "ShowArchive=Yes\r\n";
        return open(archive + settings,
                    "Office=" + PutLine("\\docs") + "\r\nPictures=" + PutLine("\\pics") +
                        "\r\nArchive=Net,Get,\\\\127.0.0.1:1\\none,WG,\\In,\\,None,,u,p",
                    std::move(handlers));
    }
    CFileListCtrl& list() const { return window->fileList(); }
    QList<int> selected() const { return list().selectedRows(); }
    // Plays the user at the list, step by step: t3 taps row 3 and T3 taps it
    // with Shift; u, d, s, a, i press Up, Down, Space, A, I, and U, D Up and
    // Down with Shift; A and I press the Select all and Invert buttons.
    void play(const QString& steps) const
    {
        for (const QString& step : steps.split(u' ')) {
            const Qt::KeyboardModifiers shift =
                step[0].isUpper() ? Qt::ShiftModifier : Qt::NoModifier;
            if (step[0].toLower() == u't')
                QTest::mouseClick(
                    list().viewport(), Qt::LeftButton, shift,
                    list().visualRect(list().model().index(step[1].digitValue(), 1)).center());
            else if (step == "A" || step == "I")
                Click(*window, step == "A" ? "selectAllButton" : "invertButton");
            else
                QTest::keyClick(&list(),
                                QList{Qt::Key_Up, Qt::Key_Down, Qt::Key_Space, Qt::Key_A,
                                      Qt::Key_I}[QString("udsai").indexOf(step[0].toLower())],
                                shift);
        }
    }
};

// Mistakes of the configuration are shown in one box. The session box changes
// the Path box and the Send button's label, and lists nothing anew.
TEST_F(SendDlgTest,
       ShowsEveryControlOneBoxForMistakesAndTheSessionBoxDrivesThePathBoxAndTheSendLabelOnly)
{
    QStringList calls;
    CSendDlg& window =
        openWith("ShowArchive=No\r\nFilter=*\r\nDefaultSession=Pictures,Office,Archive,Videos,Work",
                 {[&](CSendDlg& w) { calls.append("send " + w.SessionText()); },
                  [&](CSendDlg&) { calls.append("option"); },
                  [&](CSendDlg& w) { calls.append("browse " + w.pathBox().text()); },
                  [&](CSendDlg&) { calls.append("preview"); },
                  {}});
    QStringList texts =
        QStringList(window.windowTitle()) +
        Texts(window, {"selectAllButton", "invertButton", "browseButton", "sendButton",
                       "previewButton", "optionButton", "refreshButton", "exitButton"});
    for (const QLabel* label : window.findChildren<QLabel*>())
        if (label->isVisible())
            texts.append(label->text());
    for (int column = 0; column < 5; ++column)
        texts.append(list().model().headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
    EXPECT_EQ(texts,
              (QStringList{"Tarvo", "&A", "&I", "...", "&Send", "Pre&view", "&Option", "R&efresh",
                           "E&xit", "Session:", "Path:", "5 files, 5 selected (5 bytes)",
                           " File Name ", " Date ", "Size", "Path", "Session"}));
    for (QPushButton* each : window.findChildren<QPushButton*>())
        EXPECT_FALSE(each->toolTip().isEmpty()) << each->objectName().toStdString();
    EXPECT_TRUE(list().geometry().bottom() < button("sendButton")->y() &&
                button("sendButton")->geometry().right() < button("refreshButton")->x() &&
                button("refreshButton")->geometry().right() < button("exitButton")->x());
    auto* box = window.findChild<QComboBox*>("sessionBox");
    EXPECT_EQ(box->itemText(0) + box->itemText(1) + box->itemText(2), "ArchiveOfficePictures");
    EXPECT_EQ(window.pathBox().text(), "\\pics\\");
    // The notes themselves are the configuration tests' to check.
    ASSERT_EQ(boxes.texts.size(), 2);
    for (const QString note :
         {"\"Videos\", which is no", "\"Work\", which is no", "\"Archive\" lists no"})
        EXPECT_TRUE(boxes.texts[0].startsWith(ConfigurationNotesMessage(config, {})) &&
                    boxes.texts[0].contains(note))
            << note.toStdString();
    EXPECT_EQ(boxes.texts[1], "Failed to map to network share \\\\127.0.0.1:1\\none\r\nNo "
                              "server answers at 127.0.0.1, port 1.\r\nSession: Archive");
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Up);
    QTest::keyClick(box, Qt::Key_Up);
    EXPECT_EQ(button("sendButton")->text() + window.pathBox().text(),
              "&Receive\\\\127.0.0.1:1\\none\\");
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(button("sendButton")->text() + window.pathBox().text(), "&Send\\docs\\");
    EXPECT_EQ(list().model().rowCount(), 5);
    for (const char* name : {"sendButton", "optionButton", "browseButton", "previewButton"})
        Click(window, name);
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&list(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(calls,
              (QStringList{"send Office", "option", "browse \\docs\\", "preview", "preview"}));
}

TEST_F(SendDlgTest, TapsKeysAndTheSelectButtonsChooseTheRowsToSend)
{
    CSendDlg& window =
        openWith("EnableOption=No\r\nDefaultSelect=No\r\nFilter=*\r\nDefaultSession=Office",
                 {OnSend, {}, {}, {}, {}});
    ASSERT_EQ(list().model().rowCount(), 4);
    EXPECT_TRUE(button("optionButton")->isHidden());
    QSignalSpy refreshed(&window, &CSendDlg::refreshFinished);
    Click(window, "sendButton");
    ASSERT_TRUE(WaitForEventsPostedSoFar(window));
    EXPECT_EQ(boxes.texts, QStringList{"No items were selected"});
    EXPECT_EQ(boxes.icons, QList<QMessageBox::Icon>{QMessageBox::Critical});
    EXPECT_TRUE(refreshed.isEmpty() && !window.findChild<FileListRefresher*>()->isRunning());

    // Each step with the rows selected after it.
    for (const auto& [steps, rows] : QList<std::pair<QString, QList<int>>>{
             {"t0 t2 t0", {2}},
             {"t3 t0 t0 T1", {0, 1, 2, 3}},
             {"T0", {0, 2, 3}}, // the range shrinks, the rest stays
             {"A", {0, 1, 2, 3}},
             {"I t1 I", {0, 2, 3}},
             {"I t1 t3 u u u", {3}}, // moving keeps the selection
             {"s", {0, 3}},
             {"s", {3}},
             {"D D U", {0, 1, 3}},
             {"d D", {0, 1, 2, 3}},
             {"I U", {2}}}) { // the next range does not undo Invert
        play(steps);
        EXPECT_EQ(selected(), rows) << steps.toStdString();
    }
}

// The Path box takes a folder of the device with Enter and otherwise shows
// the session's own. A pick of "..." is compared with the session's folder,
// not with the Path box's text: the same folder changes nothing, another one
// is stored and listed. Exit stops a refresh.
TEST_F(SendDlgTest, ThePathBoxABrowsedFolderAndExitDuringARefresh)
{
    CSendDlg& window =
        openWith("Filter=*.txt\r\nDefaultSession=Office,Pictures", {{}, {}, OnBrowse, {}, {}});
    QSignalSpy finished(&window, &CSendDlg::refreshFinished);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QLineEdit& box = window.pathBox();
    for (const QString typed : {"/pics/", "\\\\pc\\docs"}) {
        box.setFocus();
        box.selectAll();
        QTest::keyClicks(&box, typed);
        QTest::keyClick(&box, Qt::Key_Return);
        EXPECT_EQ(box.text() + app->settings().Sessions.line("Office").section(u',', 4, 4),
                  "\\pics\\\\pics");
    }
    EXPECT_EQ(boxes.texts, QStringList{"\\\\pc\\docs\r\nis a network path; the session "
                                       "\"Office\" sends the files of a folder of this device."});
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() == 1; }));
    EXPECT_EQ(list().model().rowCount(), 2) << "p.txt of Office and of Pictures";
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Tab}) {
        box.setFocus();
        QTest::keyClicks(&box, "x");
        QTest::keyClick(&box, key);
        EXPECT_EQ(box.text(), "\\pics\\");
    }
    EXPECT_TRUE(window.isVisible());
    BrowseTo(window, "pics");
    EXPECT_EQ(list().model().rowCount(), 2) << "no refresh, which empties the list";
    box.setText("\\docs"); // typed, not entered
    BrowseTo(window, "docs");
    EXPECT_EQ(box.text() + app->settings().Sessions.line("Office").section(u',', 4, 4),
              "\\docs\\\\docs");
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() == 2; }));
    EXPECT_EQ(list().model().rowCount(), 5);

    window.StartRefresh();
    Click(window, "exitButton");
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.findChild<FileListRefresher*>()->isRunning());
    const int rows = list().model().rowCount();
    ASSERT_TRUE(WaitForEventsPostedSoFar(window));
    EXPECT_EQ(list().model().rowCount(), rows) << "nothing of the stopped refresh arrives";
}

// The list's own keys: A selects every row, I inverts, F5 lists again. A
// header click sorts by its column, a second the other way, a third by name
// again. The status line counts the rows and the selected ones with their
// size. The columns' widths, the order and the chosen session are kept in
// the window's state file for the next start, never in the configuration.
TEST_F(SendDlgTest, KeysSortingStatusAndWhatTheNextStartKeeps)
{
    device.write("docs/big.txt", QByteArray(3000, 'x'));
    const QString settings = "DefaultSelect=No\r\nFilter=*.txt\r\nDefaultSession=Office,Pictures";
    CSendDlg& window = openWith(settings);
    const QByteArray configuration = TempFolder::read(config);
    const auto status = [&window] { return window.findChild<QLabel*>("status")->text(); };
    EXPECT_EQ(status(), "6 files, none selected");
    list().setFocus();
    play("a");
    EXPECT_EQ(status(), "6 files, 6 selected (2.9 kB)");
    play("i");
    EXPECT_EQ(selected(), QList<int>());

    QHeaderView& header = *list().horizontalHeader();
    QStringList ends; // the first and the last name after each click
    for (int column : {FileListColumns::Size, FileListColumns::Size, FileListColumns::Size,
                       FileListColumns::Session}) {
        QTest::mouseClick(header.viewport(), Qt::LeftButton, {},
                          QPoint(header.sectionViewportPosition(column) + 5, header.height() / 2));
        ends.append(list().model().rows().first().name + ".." + list().model().rows().last().name);
    }
    // Office before Pictures, by name within.
    EXPECT_EQ(ends,
              QStringList({"A.txt..big.txt", "big.txt..p.txt", "A.txt..p.txt", "A.txt..p.txt"}));

    header.resizeSection(FileListColumns::Path, header.sectionSize(FileListColumns::Path) + 40);
    const QList<double> shares = list().columnShares();
    auto& box = *window.findChild<QComboBox*>("sessionBox");
    box.setCurrentIndex(box.findText("Pictures"));
    window.OnSelChangeSession();
    QSignalSpy refreshed(&window, &CSendDlg::refreshFinished);
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&list(), Qt::Key_F5);
    EXPECT_TRUE(refreshed.wait(20000));
    window.close();
    EXPECT_EQ(TempFolder::read(config), configuration);

    openWith(settings);
    EXPECT_EQ(list().model().sortColumn(), int(FileListColumns::Session));
    EXPECT_EQ(this->window->SessionText() + this->window->pathBox().text(), "Pictures\\pics\\");
    ASSERT_EQ(list().columnShares().size(), shares.size());
    for (qsizetype column = 0; column < shares.size(); ++column)
        EXPECT_NEAR(list().columnShares().at(column), shares.at(column), 1e-4);
}

// A first start without any share session: the list's place says where to
// begin, and "Add a share..." opens the session dialog. The share typed the
// way Linux users write it is stored in the program's form, the session
// becomes a default session, the configuration file is written and the list
// comes back.
TEST_F(SendDlgTest, TheFirstStartLeadsToTheFirstShare)
{
    CSendDlg& window = open("DefaultSession=", "", {{}, {}, {}, {}, OnAddShare});
    auto* text = window.findChild<QLabel*>("firstStartText");
    ASSERT_TRUE(text->isVisible() && !list().isVisible());
    EXPECT_TRUE(text->text().startsWith("Tarvo sends files between"));

    using enum SessionField;
    ModalScript user({Fill({SessionName, Share, LocalFolder, PcFolder, UserName, Password},
                           {"Office", "smb://127.0.0.1:1/none", "\\docs", "\\in", "ann", "pw"})});
    QSignalSpy refreshed(&window, &CSendDlg::refreshFinished);
    button("addShareButton")->click();
    EXPECT_EQ(user.titles.size(), 1);
    EXPECT_TRUE(refreshed.wait(20000));

    const QString written = QString::fromLocal8Bit(TempFolder::read(config));
    EXPECT_TRUE(written.contains("Office=Net,None,\\\\127.0.0.1:1\\none,") &&
                written.contains("DefaultSession=Office"))
        << written.toStdString();
    EXPECT_TRUE(list().isVisible() && !text->isVisible());
    EXPECT_EQ(window.SessionText(), "Office");
}

} // namespace
} // namespace tarvo::test
