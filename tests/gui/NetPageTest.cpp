// The Options sheet's Net page and its "Map Network Drive" dialog.

#include "tests/support/HeldConnections.h"
#include "tests/support/UiTestSupport.h"

namespace tarvo::test {
namespace {

using enum SessionField;

const QString NoShare = "Share must name a server and a share, such as \\\\fileserver\\docs or "
                        "smb://fileserver/docs.";

QString Line(const QString& server, const QString& domain = "WG")
{
    return "Net,Put,\\\\" + server + "\\docs," + domain + ",\\Docs,\\,None,,ann,pw";
}

// Chooses an entry of a drop-down box as a user does: opens it and clicks.
void Choose(const CNetSessionDlg& dialog, SessionField field, const QString& text)
{
    QComboBox& combo = *qobject_cast<QComboBox*>(dialog.control(field));
    combo.showPopup();
    QAbstractItemView* view = combo.view();
    const QModelIndex index =
        view->model()->index(combo.findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive), 0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    EXPECT_EQ(combo.currentText(), text);
}

class NetPageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"beta", "Alpha", "gamma", "Gamma"})
            settings.Sessions.insert(name, Line(QString(name).left(1)));
        settings.Sessions.insert("ftp", "Ftp,Put,host,x");
        settings.Sessions.insert("", Line("nameless"));
        settings.DefaultSession = {"beta", "ALPHA"};
        page.show();
    }

    // Per row: its name, then D for a default session's icon and T for a tick.
    QStringList rows()
    {
        QStringList rows;
        const QImage icon =
            sessionIcons.pixmap(13).toImage().convertToFormat(QImage::Format_ARGB32);
        for (int row = 0; row < page.list().topLevelItemCount(); ++row) {
            const QImage shown = page.list().topLevelItem(row)->icon(0).pixmap(16, 16).toImage();
            rows.append(page.list().topLevelItem(row)->text(0) + u' ' +
                        (shown.convertToFormat(QImage::Format_ARGB32) == icon ? 'D' : '-') +
                        (page.list().isTicked(row) ? 'T' : '-'));
        }
        return rows;
    }
    // The texts of a row (of the header for an empty name), column by column.
    QStringList texts(const QString& name)
    {
        const QTreeWidgetItem* item = name.isEmpty() ? page.list().headerItem()
                                                     : page.list().topLevelItem(page.FindRow(name));
        QStringList texts;
        for (int column = 0; column < page.list().columnCount(); ++column)
            texts.append(item->text(column));
        return texts;
    }
    void select(const QStringList& names)
    {
        page.list().clearSelection();
        for (const QString& name : names)
            page.list().topLevelItem(page.FindRow(name))->setSelected(true);
    }

    CBrowseDlg::Services services() { return {settings, files, files, messages, sessionIcons}; }

    Settings settings;
    ScriptedMessageService messages;
    ImageList sessionIcons = SessionIcons();
    MemoryFileSystem files;
    CNetPage page{settings, messages, sessionIcons, files, files};
};

// Each row shows the session's share, direction, folders and post-operation.
TEST_F(NetPageTest, ListsTheNetSessionsInNameOrderAddShowsTheNewOneAtOnceAndCellsHaveTwoEdges)
{
    EXPECT_EQ(rows(), QStringList({"Alpha D-", "beta D-", "gamma --", "Gamma --"}))
        << "a default matches in any letter case";

    Tick(page, "beta");
    ModalScript user(
        {[](QDialog& dialog) {
             auto& session = static_cast<CNetSessionDlg&>(dialog);
             TypeInto(session.control(SessionName), "ALPHA");
             session.control(Share)->setFocus();
             session.accept();
             EXPECT_TRUE(session.isVisible()) << "refused: a letter-case twin of Alpha";
             EXPECT_TRUE(session.control(SessionName)->isAncestorOf(session.focusWidget()));
             session.reject();
         },
         Fill({SessionName, Share, Op, LocalFolder, PcFolder, Post, PostFolder},
              {"Office", "\\\\fs\\team", "Get", "\\Inbox", "\\Out", "Move", "\\Sent"}),
         Fill({SessionName, Share}, {"beta", "\\\\new\\s"})});
    for (int i = 0; i < 3; ++i)
        Click(page, "addButton");
    EXPECT_EQ(messages.texts(), QStringList{"The session name \"ALPHA\" differs from the session "
                                            "\"Alpha\" only in letter case. Choose another name."});
    EXPECT_EQ(settings.Sessions.line("beta"), "Net,None,\\\\new\\s,WORKGROUP,,,None,,,");
    EXPECT_EQ(rows(), QStringList({"Alpha D-", "beta DT", "gamma --", "Gamma --", "Office --"}))
        << "the replaced row keeps its icon and tick";
    EXPECT_EQ(QList<QStringList>({texts(""), texts("Office"), texts("beta")}),
              QList<QStringList>(
                  {{"Name", "Share", "Direction", "Local Folder", "Share Folder", "Post-Operation"},
                   {"Office", "\\\\fs\\team", "Get", "\\Inbox", "\\Out", "Move to \\Sent"},
                   {"beta", "\\\\new\\s", "None", "", "", "None"}}));

    // Space on the current row toggles its tick, whichever column was clicked.
    CCheckListCtrl& list = page.list();
    const QRect office = list.visualItemRect(list.topLevelItem(page.FindRow("Office")));
    // The row runs past the viewport: its columns scroll sideways.
    QTest::mouseClick(
        list.viewport(), Qt::LeftButton, {},
        {std::min(office.right(), list.viewport()->width()) - 2, office.center().y()});
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_EQ(rows().last(), "Office -T");
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_EQ(rows().last(), "Office --");

    // A click on either edge of a cell selects the cell's row, one past the
    // columns none, and scrolling takes the focus.
    for (int i = 0; i < 40; ++i)
        list.addRow({QStringLiteral("Session %1").arg(i), "\\\\pc\\docs"});
    list.header()->setStretchLastSection(false);
    for (int column = 0; column < list.columnCount(); ++column)
        list.header()->resizeSection(column, column == 0 ? 100 : column == 1 ? 60 : 20);
    const int end = list.header()->length();
    ASSERT_LT(end, list.viewport()->width());
    const auto clickedRow = [&](int x, int y) {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, {x, y});
        const QList<QTreeWidgetItem*> selected = list.selectedItems();
        return selected.size() == 1 ? list.indexOfTopLevelItem(selected.first()) : -1;
    };
    const int y = list.visualItemRect(list.topLevelItem(2)).top() + 2;
    QList<int> clicked;
    for (int x : {0, 99, 100, 159, 160, end - 1, end})
        clicked.append(clickedRow(x, y));
    EXPECT_EQ(clicked, QList<int>({2, 2, 2, 2, 2, 2, -1}));
    list.verticalScrollBar()->setValue(10);
    EXPECT_EQ(clickedRow(40, y), 12);
    QWidget* other = page.findChild<QPushButton*>("addButton");
    page.activateWindow();
    other->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return other->hasFocus(); }));
    list.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_TRUE(QTest::qWaitFor([&] { return list.hasFocus(); }));
}

// An edit's row shows its new texts.
TEST_F(NetPageTest, EditRunsOneDialogPerSelectedRowRenamesOnALetterCaseChangeAndRemoveTakesTicks)
{
    Click(page, "editButton");
    EXPECT_EQ(messages.texts(), QStringList({"Please select one item"}));
    select({"gamma", "Alpha", "beta"});
    QStringList shown;
    {
        ModalScript user({Fill({Domain, PcFolder}, {"CORP", "\\New"}, true, &shown),
                          Fill({Domain}, {"LOST"}, false, &shown),
                          Fill({SessionName}, {"delta"}, true, &shown)});
        Click(page, "editButton");
    }
    EXPECT_EQ(shown, QStringList({"Alpha", "beta", "gamma"}));
    EXPECT_EQ(settings.Sessions.line("Alpha"),
              "Net,Put,\\\\A\\docs,CORP,\\Docs,\\New,None,,ann,pw");
    EXPECT_EQ(texts("Alpha"),
              QStringList({"Alpha", "\\\\A\\docs", "Put", "\\Docs", "\\New", "None"}));
    EXPECT_EQ(settings.Sessions.line("beta"), Line("b"));
    EXPECT_EQ(settings.Sessions.line("gamma"), Line("g")) << "a rename keeps the old one";
    EXPECT_EQ(settings.Sessions.line("delta"), Line("g"));

    Tick(page, "beta");
    select({"beta"});
    ModalScript user({Fill({SessionName, Domain}, {"Beta", "CORP"})});
    Click(page, "editButton");
    EXPECT_FALSE(settings.Sessions.contains("beta"));
    EXPECT_EQ(settings.Sessions.line("Beta"), Line("b", "CORP"));
    EXPECT_EQ(settings.DefaultSession, QStringList({"Beta", "ALPHA"}));
    EXPECT_EQ(rows(), QStringList({"Alpha D-", "Beta DT", "delta --", "gamma --", "Gamma --"}));

    // Remove and Set default take the ticked rows, not the selected ones, and
    // Remove asks before it deletes a default session.
    Tick(page, "gamma");
    select({"Alpha"});
    messages.answerNext(MessageResult::Cancel);
    Click(page, "removeButton");
    EXPECT_EQ(messages.texts(), QStringList({"Please select one item", "Delete default?"}));
    EXPECT_EQ(rows(), QStringList({"Alpha D-", "Beta DT", "delta --", "Gamma --"}));
    Click(page, "removeButton");
    EXPECT_FALSE(settings.Sessions.contains("Beta"));
    EXPECT_EQ(settings.DefaultSession, QStringList({"ALPHA"}));
    Tick(page, "Gamma");
    Tick(page, "Alpha");
    Click(page, "setDefaultButton");
    EXPECT_EQ(settings.DefaultSession, QStringList({"Alpha", "Gamma"}));
    EXPECT_EQ(rows(), QStringList({"Alpha DT", "delta --", "Gamma DT"}));
}

// The Map Network Drive dialog offers the Net sessions sorted, letter-case twins
// both, and edits a session under its exact name.
TEST_F(NetPageTest, AddOffersTheNetSessionsSortedAndChoosingOneFillsEveryField)
{
    SessionTable& sessions = settings.Sessions;
    sessions.insert("work", "Net,Put,\\\\pc\\docs,WG,\\Docs,\\,Sync,,ann,secret");
    sessions.insert("Home", "Net,Get,\\\\nas\\music,HOME,\\Music,\\Albums,Move,\\Played,bob,pw,1");
    CNetSessionDlg dialog(SessionFormForAdd(), services());
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Map Network Drive");
    const auto* names = qobject_cast<QComboBox*>(dialog.control(SessionName));
    QStringList offered;
    for (int i = 0; i < names->count(); ++i)
        offered.append(names->itemText(i));
    EXPECT_EQ(offered, QStringList({"", "Alpha", "beta", "gamma", "Gamma", "Home", "work"}));
    EXPECT_EQ(names->currentIndex(), -1);
    EXPECT_EQ(dialog.SessionLine(), "Net,None,,WORKGROUP,,,None,,,");
    QWidget* postFolder = dialog.control(PostFolder);
    QString enabled = postFolder->isEnabled() ? "+" : "-"; // at first, although Post is None
    for (const char* post : {"Sync", "Copy", "Del", "Move", "None"}) {
        Choose(dialog, Post, post);
        enabled += postFolder->isEnabled() ? "+" : "-";
    }
    for (const char* name : {"Home", "work"}) {
        Choose(dialog, SessionName, name);
        EXPECT_EQ(dialog.SessionLine(), sessions.line(name));
        enabled += postFolder->isEnabled() ? "+" : "-";
    }
    EXPECT_EQ(enabled, "+-+-+-+-");
    NetSession lower;
    lower.Name = "gamma";
    ParseNetSession(sessions.line("gamma"), lower);
    EXPECT_EQ(CNetSessionDlg(SessionFormFrom(lower), services()).SessionLine(),
              sessions.line("gamma"))
        << "edits its exact name, not its letter-case twin's";
}

// The Share field takes a share as users write it and stores the line's own
// form; a text that names no share keeps the dialog open on the field, with
// an example of the right form.
TEST_F(NetPageTest, ShareIsStoredInTheLinesFormAndAShareWithoutServerAndShareIsRefused)
{
    ModalScript user({[&](QDialog& dialog) {
        auto& session = static_cast<CNetSessionDlg&>(dialog);
        TypeInto(session.control(SessionName), "Office");
        TypeInto(session.control(Share), "127.0.0.1/docs");
        session.control(Domain)->setFocus();
        session.accept();
        EXPECT_TRUE(session.isVisible());
        // The field that gets the focus, whether or not the window
        // manager has made the dialog active yet.
        EXPECT_EQ(session.focusWidget(), session.control(Share));
        TypeInto(session.control(Share), "//fs:4450/docs/");
        session.accept();
        EXPECT_FALSE(session.isVisible());
    }});
    Click(page, "addButton");
    EXPECT_EQ(messages.texts(), QStringList{NoShare});
    EXPECT_EQ(settings.Sessions.line("Office"), "Net,None,\\\\fs:4450\\docs,WORKGROUP,,,None,,,");
    EXPECT_EQ(texts("Office").value(1), "\\\\fs:4450\\docs");
}

// "..." browses the device for Local Folder and the share typed for PC
// Folder, on a table of its own; the folder chosen fills the field.
TEST_F(NetPageTest, FolderButtonsBrowseTheDeviceAndTheShareTypedAndFillTheField)
{
    files.addFolder("\\My Documents\\Outbox");
    files.addFolder("\\\\pc\\docs\\in");
    SessionForm form = SessionFormForAdd();
    form.sessionName = "Office";
    form.share = "nas";
    CNetSessionDlg dialog(form, services());
    dialog.show();
    Click(dialog, "browsePcButton");
    EXPECT_EQ(messages.texts(), QStringList{NoShare});
    EXPECT_EQ(dialog.focusWidget(), dialog.control(Share));

    TypeInto(dialog.control(Share), "//pc/docs");
    QStringList roots;
    const auto choose = [&roots](const QString& name) -> ModalScript::Step {
        return [&roots, name](QDialog& shown) {
            auto& browse = static_cast<CBrowseDlg&>(shown);
            if (WaitUntilOpen(browse)) {
                roots.append(browse.model().rootItem().data().toString());
                browse.tree().setCurrentIndex(Child(browse, name));
            }
            browse.accept();
        };
    };
    ModalScript user({choose("My Documents"), choose("in")});
    Click(dialog, "browseLocalButton");
    Click(dialog, "browsePcButton");
    EXPECT_EQ(roots, QStringList({"Pocket PC", "\\\\pc\\docs"}));
    EXPECT_EQ(QStringList({dialog.values().localFolder, dialog.values().pcFolder}),
              QStringList({"\\My Documents", "\\in"}));
    EXPECT_FALSE(settings.Sessions.contains("Office")) << "the sheet's table stays as it was";
}

// Closing the dialog while its Test waits for a server neither blocks the
// window's events nor shows what the abandoned test found.
TEST_F(NetPageTest, ClosingTheDialogDuringATestDropsTheTest)
{
    HeldConnections held;
    SessionForm form = SessionFormForAdd();
    form.share = "\\\\silent\\docs";
    auto dialog = std::make_unique<CNetSessionDlg>(
        form, CBrowseDlg::Services{settings, held, held, messages, sessionIcons});
    dialog->show();
    Click(*dialog, "testButton");
    EXPECT_TRUE(!dialog->testButton().isEnabled() && dialog->isTesting());
    ASSERT_TRUE(held.asked.tryAcquire(1, 20000));
    dialog->reject();
    EXPECT_FALSE(dialog->isTesting());
    QTimer::singleShot(0, dialog.get(), [&] { held.answered.release(); });
    dialog.reset(); // waits for the test's thread, serving events
    EXPECT_EQ(messages.texts(), QStringList());
}

// Test logs on to the real server with what is typed and says what the PC
// folder holds, or why it could not log on; the dialog tells it, no box.
class SessionTestButtonTest : public SambaTest
{};

TEST_F(SessionTestButtonTest, NamesWhatThePcFolderHoldsOrWhyTheLogonFailed)
{
    const QString in = samba().shareFolder() + "/in/";
    ASSERT_TRUE(QDir().mkpath(in + "old"));
    for (const char* name : {"a.txt", "b.txt"})
        ASSERT_TRUE(QFile(in + name).open(QIODevice::WriteOnly));
    TempFolder device;
    const std::unique_ptr<PlatformServices> platform = PlatformServices::create(device.path());
    Settings settings;
    ScriptedMessageService messages;
    ImageList icons = SessionIcons();
    SessionForm form = SessionFormForAdd();
    form.sessionName = "Office";
    form.share = "smb://127.0.0.1:" + QString::number(samba().port()) + "/share/";
    form.userName = SambaServer::UserName;
    form.pcFolder = "\\in";
    QStringList found;
    for (const QString& password : {samba().password(), QStringLiteral("not the password")}) {
        form.password = password;
        CNetSessionDlg dialog(
            form, {settings, platform->files(), platform->connections(), messages, icons});
        dialog.show();
        Click(dialog, "testButton");
        EXPECT_FALSE(dialog.testButton().isEnabled()) << "while the test runs";
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isTesting(); }, 20000));
        EXPECT_TRUE(dialog.testButton().isEnabled());
        found.append(dialog.testResult());
    }
    EXPECT_EQ(found, QStringList({"Logged on to " + samba().shareText() +
                                      "; \\in holds 2 files and 1 folder.",
                                  "Could not log on to " + samba().shareText() +
                                      ": Wrong user name or password."}));
    EXPECT_EQ(messages.texts(), QStringList());
}

} // namespace
} // namespace tarvo::test
