// The Options sheet's Net page and its "Map Network Drive" dialog.

#include "tests/support/UiTestSupport.h"

namespace tarvo::test {
namespace {

QString Line(const QString& server, const QString& domain = "WG")
{
    return "Net,Put,\\\\" + server + "\\docs," + domain + ",\\Docs,\\,None,,ann,pw";
}

// Replaces the text of a session dialog's field by typing, as a user does.
void TypeInto(const CNetSessionDlg& dialog, SessionField field, const QString& text)
{
    QWidget* control = dialog.control(field);
    if (auto* box = qobject_cast<QComboBox*>(control))
        control = box->lineEdit();
    auto* edit = qobject_cast<QLineEdit*>(control);
    edit->selectAll();
    edit->del();
    QTest::keyClicks(edit, text);
}

// A dialog step that notes the session shown, types into fields and ends the
// dialog with OK or Cancel.
ModalScript::Step Fill(QList<QPair<SessionField, QString>> fields, bool ok = true,
                       QStringList* shown = nullptr)
{
    return [=](QDialog& dialog) {
        auto& session = static_cast<CNetSessionDlg&>(dialog);
        if (shown)
            shown->append(session.values().sessionName);
        for (const auto& [field, text] : fields)
            TypeInto(session, field, text);
        ok ? dialog.accept() : dialog.reject();
    };
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

    QStringList rows(int column = 0)
    {
        QStringList texts;
        for (int row = 0; row < list().topLevelItemCount(); ++row)
            texts.append(list().topLevelItem(row)->text(column));
        return texts;
    }
    // Per row: D for a default session's icon, T for a tick.
    QString marks()
    {
        QString marks;
        const QImage icon =
            sessionIcons.pixmap(13).toImage().convertToFormat(QImage::Format_ARGB32);
        for (int row = 0; row < list().topLevelItemCount(); ++row) {
            const QImage shown = list().topLevelItem(row)->icon(0).pixmap(16, 16).toImage();
            marks += QString(shown.convertToFormat(QImage::Format_ARGB32) == icon ? "D" : "-") +
                     (list().isTicked(row) ? "T " : "- ");
        }
        return marks.trimmed();
    }
    void tick(const QString& name)
    {
        QTest::mouseClick(list().viewport(), Qt::LeftButton, {},
                          list().stateIconRect(page.FindRow(name)).center());
    }
    void select(const QStringList& names)
    {
        list().clearSelection();
        for (const QString& name : names)
            list().topLevelItem(page.FindRow(name))->setSelected(true);
    }
    void click(const char* button)
    {
        QTest::mouseClick(page.findChild<QPushButton*>(button), Qt::LeftButton);
    }
    CCheckListCtrl& list() { return page.list(); }

    Settings settings;
    ScriptedMessageService messages;
    ImageList sessionIcons = SessionIcons();
    ImageList checkBoxes = CheckBoxes();
    CNetPage page{settings, messages, sessionIcons, checkBoxes};
};

TEST_F(NetPageTest, ListsTheNamedNetSessionsInNameOrderAndAddShowsTheNewOneAtOnce)
{
    EXPECT_EQ(rows(), QStringList({"Alpha", "beta", "gamma", "Gamma"}));
    EXPECT_EQ(rows(1), QStringList({"\\\\A\\docs", "\\\\b\\docs", "\\\\g\\docs", "\\\\G\\docs"}));
    EXPECT_EQ(marks(), "D- D- -- --") << "a default matches in any letter case";

    tick("beta");
    ModalScript user(
        {[](QDialog& dialog) {
             auto& session = static_cast<CNetSessionDlg&>(dialog);
             TypeInto(session, SessionField::SessionName, "ALPHA");
             session.control(SessionField::Share)->setFocus();
             session.accept();
             EXPECT_TRUE(session.isVisible()) << "refused: a letter-case twin of Alpha";
             EXPECT_TRUE(
                 session.control(SessionField::SessionName)->isAncestorOf(session.focusWidget()));
             session.reject();
         },
         Fill({{SessionField::SessionName, "Office"}, {SessionField::Share, "\\\\fs\\team"}}),
         Fill({{SessionField::SessionName, "beta"}, {SessionField::Share, "\\\\new\\s"}})});
    for (int i = 0; i < 3; ++i)
        click("addButton");
    EXPECT_EQ(user.titles, QStringList(3, "Map Network Drive"));
    EXPECT_EQ(messages.texts(), QStringList{"The session name \"ALPHA\" differs from the session "
                                            "\"Alpha\" only in letter case. Choose another name."});
    EXPECT_EQ(settings.Sessions.value("Office"), "Net,None,\\\\fs\\team,WORKGROUP,,,None,,,");
    EXPECT_EQ(settings.Sessions.value("beta"), "Net,None,\\\\new\\s,WORKGROUP,,,None,,,");
    EXPECT_EQ(rows(), QStringList({"Alpha", "beta", "gamma", "Gamma", "Office"}));
    EXPECT_EQ(rows(1)[1], "\\\\new\\s");
    EXPECT_EQ(marks(), "D- DT -- -- --") << "the replaced row keeps its icon and tick";
}

TEST_F(NetPageTest, EditRunsOneDialogPerSelectedRowAndALetterCaseChangeRenames)
{
    click("editButton");
    EXPECT_EQ(messages.texts(), QStringList({"Please select one item"}));
    select({"gamma", "Alpha", "beta"});
    QStringList shown;
    {
        ModalScript user({Fill({{SessionField::Domain, "CORP"}}, true, &shown),
                          Fill({{SessionField::Domain, "LOST"}}, false, &shown),
                          Fill({{SessionField::SessionName, "delta"}}, true, &shown)});
        click("editButton");
    }
    EXPECT_EQ(shown, QStringList({"Alpha", "beta", "gamma"}));
    EXPECT_EQ(settings.Sessions.value("Alpha"), Line("A", "CORP"));
    EXPECT_EQ(settings.Sessions.value("beta"), Line("b"));
    EXPECT_EQ(settings.Sessions.value("gamma"), Line("g")) << "a rename keeps the old one";
    EXPECT_EQ(settings.Sessions.value("delta"), Line("g"));

    tick("beta");
    select({"beta"});
    ModalScript user({Fill({{SessionField::SessionName, "Beta"}, {SessionField::Domain, "CORP"}})});
    click("editButton");
    EXPECT_FALSE(settings.Sessions.contains("beta"));
    EXPECT_EQ(settings.Sessions.value("Beta"), Line("b", "CORP"));
    EXPECT_EQ(settings.DefaultSession, QStringList({"Beta", "ALPHA"}));
    EXPECT_EQ(rows(), QStringList({"Alpha", "Beta", "delta", "gamma", "Gamma"}));
    EXPECT_EQ(marks(), "D- DT -- -- --");
}

TEST_F(NetPageTest, RemoveAndSetDefaultTakeTheTickedRows)
{
    click("removeButton");
    EXPECT_EQ(rows().size(), 4) << "nothing ticked, nothing asked";
    tick("beta");
    tick("gamma");
    select({"Alpha"});
    messages.answerNext(MessageResult::Cancel);
    click("removeButton");
    EXPECT_EQ(messages.texts(), QStringList({"Delete default?"}));
    EXPECT_EQ(rows(), QStringList({"Alpha", "beta", "Gamma"}));
    EXPECT_EQ(marks(), "D- DT --");
    click("removeButton");
    EXPECT_FALSE(settings.Sessions.contains("beta"));
    EXPECT_EQ(settings.DefaultSession, QStringList({"ALPHA"}));

    tick("Gamma");
    tick("Alpha");
    click("setDefaultButton");
    EXPECT_EQ(settings.DefaultSession, QStringList({"Alpha", "Gamma"}));
    EXPECT_EQ(marks(), "DT DT");
}

QComboBox& Box(const CNetSessionDlg& dialog, SessionField field)
{
    return *qobject_cast<QComboBox*>(dialog.control(field));
}

// Chooses an entry of a drop-down box as a user does: opens it and clicks.
void Choose(const CNetSessionDlg& dialog, SessionField field, const QString& text)
{
    QComboBox& combo = Box(dialog, field);
    combo.showPopup();
    QAbstractItemView* view = combo.view();
    const QModelIndex index =
        view->model()->index(combo.findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive), 0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    EXPECT_EQ(combo.currentText(), text);
}

TEST(NetSessionDlgTest, AddOffersTheNetSessionsSortedAndChoosingOneFillsEveryField)
{
    SessionTable sessions;
    sessions.insert("work", "Net,Put,\\\\pc\\docs,WG,\\Docs,\\,Sync,,ann,secret");
    sessions.insert("Home", "Net,Get,\\\\nas\\music,HOME,\\Music,\\Albums,Move,\\Played,bob,pw,1");
    sessions.insert("old", "Ftp,Put,host,x");
    sessions.insert("", "Net,None,\\\\a\\b,,,,None,,,");
    sessions.insert("AB", "Net,Put,\\\\upper\\s,,,,None,,,");
    sessions.insert("ab", "Net,Put,\\\\lower\\s,,,,None,,,");
    ScriptedMessageService messages;
    CNetSessionDlg dialog(SessionFormForAdd(), sessions, messages);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Map Network Drive");
    QStringList names;
    for (int i = 0; i < Box(dialog, SessionField::SessionName).count(); ++i)
        names.append(Box(dialog, SessionField::SessionName).itemText(i));
    EXPECT_EQ(names, QStringList({"", "AB", "ab", "Home", "work"}));
    EXPECT_EQ(Box(dialog, SessionField::SessionName).currentIndex(), -1);
    EXPECT_EQ(dialog.SessionLine(), "Net,None,,WORKGROUP,,,None,,,");
    QWidget* postFolder = dialog.control(SessionField::PostFolder);
    EXPECT_TRUE(postFolder->isEnabled()) << "at first, although Post is None";
    QString enabled;
    for (const char* post : {"Sync", "Copy", "Del", "Move", "None"}) {
        Choose(dialog, SessionField::Post, post);
        enabled += postFolder->isEnabled() ? "+" : "-";
    }
    EXPECT_EQ(enabled, "-+-+-");
    Choose(dialog, SessionField::SessionName, "Home");
    EXPECT_EQ(dialog.SessionLine(), sessions.value("Home"));
    EXPECT_TRUE(postFolder->isEnabled());
    Choose(dialog, SessionField::SessionName, "work");
    EXPECT_EQ(dialog.SessionLine(), sessions.value("work"));
    EXPECT_FALSE(postFolder->isEnabled());
    for (const QString name : {"ab", "AB"}) {
        NetSession session;
        session.Name = name;
        ParseNetSession(sessions.value(name), session);
        EXPECT_EQ(CNetSessionDlg(SessionFormFrom(session), sessions, messages).SessionLine(),
                  sessions.value(name))
            << "edits its exact name";
    }
}

} // namespace
} // namespace tarvo::test
