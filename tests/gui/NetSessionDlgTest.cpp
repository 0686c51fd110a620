#include "gui/options/NetSessionDlg.h"

#include "config/NetSession.h"
#include "config/SessionTable.h"
#include "core/forms/SessionForm.h"
#include "tests/gui/NetSessionTestSupport.h"
#include "tests/support/ScriptedMessageService.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

namespace tarvo {
namespace {

using test::ChooseItem;
using test::ComboOf;
using test::EditOf;
using test::ItemsOf;
using test::TypeInto;

const QString HomeLine =
    QStringLiteral("Net,Get,\\\\nas\\music,HOMENET,\\Music,\\Albums,Move,\\Played,bob,pw,1");

class NetSessionDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        sessions.insert(QStringLiteral("work"),
                        QStringLiteral("Net,Put,\\\\pc\\docs,WG,\\Docs,\\,Sync,,ann,secret"));
        sessions.insert(QStringLiteral("Home"), HomeLine);
        sessions.insert(QStringLiteral("old"), QStringLiteral("Ftp,Put,host,x"));
        sessions.insert(QString(), QStringLiteral("Net,None,\\\\a\\b,,,,None,,,"));
        sessions.insert(QStringLiteral("AB"), QStringLiteral("Net,Put,\\\\upper\\s,,,,None,,,"));
        sessions.insert(QStringLiteral("ab"), QStringLiteral("Net,Put,\\\\lower\\s,,,,None,,,"));
    }

    std::unique_ptr<CNetSessionDlg> open(const SessionForm& values)
    {
        auto dialog = std::make_unique<CNetSessionDlg>(values, sessions, messages);
        dialog->show();
        return dialog;
    }

    static void pressOk(CNetSessionDlg& dialog)
    {
        auto* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        QTest::mouseClick(ok, Qt::LeftButton);
    }

    SessionTable sessions;
    test::ScriptedMessageService messages;
};

TEST_F(NetSessionDlgTest, OffersTheNetSessionsAndTheNamesSorted)
{
    const auto dialog = open(SessionFormForAdd());
    EXPECT_EQ(dialog->windowTitle(), "Map Network Drive");
    // The empty name is offered; the Ftp session is not.
    EXPECT_EQ(ItemsOf(ComboOf(*dialog, SessionField::SessionName)),
              QStringList({"", "AB", "ab", "Home", "work"}));
    EXPECT_EQ(ItemsOf(ComboOf(*dialog, SessionField::Post)),
              QStringList({"Copy", "Del", "Move", "None", "Sync"}));
    EXPECT_EQ(ItemsOf(ComboOf(*dialog, SessionField::Op)), QStringList({"Get", "None", "Put"}));
}

TEST_F(NetSessionDlgTest, AddStartsFromTheDialogsOwnDefaults)
{
    const auto dialog = open(SessionFormForAdd());
    EXPECT_EQ(ComboOf(*dialog, SessionField::SessionName).currentIndex(), -1);
    EXPECT_EQ(dialog->SessionLine(), "Net,None,,WORKGROUP,,,None,,,");
    // Enabled at first although the post-operation is None.
    EXPECT_TRUE(EditOf(*dialog, SessionField::PostFolder).isEnabled());
    EXPECT_EQ(EditOf(*dialog, SessionField::Password).echoMode(), QLineEdit::Password);
}

TEST_F(NetSessionDlgTest, EditShowsTheSessionUnderItsExactName)
{
    for (const QString& name : {QStringLiteral("ab"), QStringLiteral("AB")}) {
        NetSession session;
        session.Name = name;
        ParseNetSession(sessions.value(name), session);
        const auto dialog = open(SessionFormFrom(session));
        EXPECT_EQ(dialog->values().sessionName, name);
        EXPECT_EQ(dialog->SessionLine(), sessions.value(name)) << name.toStdString();
    }
}

TEST_F(NetSessionDlgTest, ThePostFolderIsUsedByCopyAndMoveOnly)
{
    const auto dialog = open(SessionFormForAdd());
    QComboBox& post = ComboOf(*dialog, SessionField::Post);
    const QLineEdit& postFolder = EditOf(*dialog, SessionField::PostFolder);
    const struct
    {
        const char* post;
        bool enabled;
    } cases[] = {{"Sync", false}, {"Copy", true},  {"Del", false},
                 {"Move", true},  {"None", false}, {"Copy", true}};
    for (const auto& c : cases) {
        ASSERT_TRUE(ChooseItem(post, c.post)) << c.post;
        EXPECT_EQ(postFolder.isEnabled(), c.enabled) << c.post;
    }
}

TEST_F(NetSessionDlgTest, ChoosingASessionFillsEveryOtherField)
{
    SessionForm values = SessionFormForAdd();
    values.localFolder = QStringLiteral("\\Typed");
    const auto dialog = open(values);
    ASSERT_TRUE(ChooseItem(ComboOf(*dialog, SessionField::SessionName), "Home"));

    EXPECT_EQ(dialog->values().sessionName, "Home");
    EXPECT_EQ(dialog->SessionLine(), HomeLine);
    EXPECT_TRUE(EditOf(*dialog, SessionField::PostFolder).isEnabled());

    // A Sync session turns the post folder off.
    ASSERT_TRUE(ChooseItem(ComboOf(*dialog, SessionField::SessionName), "work"));
    EXPECT_EQ(dialog->values().localFolder, "\\Docs");
    EXPECT_FALSE(EditOf(*dialog, SessionField::PostFolder).isEnabled());
}

TEST_F(NetSessionDlgTest, TypingANameAndLeavingTheBoxChoosesNothing)
{
    const auto dialog = open(SessionFormForAdd());
    QApplication::setActiveWindow(dialog.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    TypeInto(*dialog, SessionField::LocalFolder, "\\Mine");
    QComboBox& box = ComboOf(*dialog, SessionField::SessionName);
    box.setFocus();
    ASSERT_TRUE(box.lineEdit()->hasFocus());
    TypeInto(*dialog, SessionField::SessionName, "Home");
    EditOf(*dialog, SessionField::Share).setFocus();
    ASSERT_FALSE(box.lineEdit()->hasFocus());

    // A name typed is not a choice from the list: the other fields stay.
    EXPECT_EQ(dialog->values().sessionName, "Home");
    EXPECT_EQ(dialog->values().localFolder, "\\Mine");
    EXPECT_EQ(dialog->values().share, "");
}

TEST_F(NetSessionDlgTest, OkEncodesTheTypedTextsFieldByField)
{
    const auto dialog = open(SessionFormForAdd());
    TypeInto(*dialog, SessionField::SessionName, "Office");
    TypeInto(*dialog, SessionField::Share, "\\\\fs1\\team");
    TypeInto(*dialog, SessionField::Domain, "CORP");
    TypeInto(*dialog, SessionField::UserName, "kim");
    TypeInto(*dialog, SessionField::Password, "a,b;c");
    TypeInto(*dialog, SessionField::LocalFolder, "\\My Documents;old");
    TypeInto(*dialog, SessionField::PcFolder, "\\Inbox");
    TypeInto(*dialog, SessionField::Post, "Archive");
    TypeInto(*dialog, SessionField::PostFolder, "\\Sent");
    TypeInto(*dialog, SessionField::Op, "Put");
    pressOk(*dialog);

    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(messages.texts().isEmpty());
    // Free text in the Post box is stored as typed.
    EXPECT_EQ(dialog->SessionLine(), "Net,Put,\\\\fs1\\team,CORP,\\My Documents;old,\\Inbox,"
                                     "Archive,\\Sent,kim,a,b;c");
}

TEST_F(NetSessionDlgTest, OkRefusesACommaAndNamesTheField)
{
    const struct
    {
        SessionField field;
        const char* label;
    } cases[] = {{SessionField::SessionName, "Session"},
                 {SessionField::Share, "Share"},
                 {SessionField::Domain, "Domain"},
                 {SessionField::UserName, "User Name"},
                 {SessionField::LocalFolder, "Local Folder"},
                 {SessionField::PcFolder, "PC Folder"},
                 {SessionField::Post, "Post"},
                 {SessionField::PostFolder, "Post Folder"},
                 {SessionField::Op, "Op"}};
    for (const auto& c : cases) {
        messages.clear();
        const auto dialog = open(SessionFormForAdd());
        TypeInto(*dialog, SessionField::SessionName, "New");
        TypeInto(*dialog, c.field, "a,b");
        pressOk(*dialog);
        EXPECT_TRUE(dialog->isVisible()) << c.label;
        EXPECT_EQ(messages.texts(),
                  QStringList(QString::fromUtf8(c.label) +
                              " may not contain \",\", which separates the fields of a session."));
        // The field to mend has the focus.
        QWidget* focus = dialog->focusWidget();
        EXPECT_TRUE(focus == dialog->control(c.field) ||
                    dialog->control(c.field)->isAncestorOf(focus))
            << c.label;
    }
}

struct NameCase
{
    const char* name;
    const char* edited; // empty: Add
    const char* typed;
    const char* message; // empty: accepted
};

class NetSessionDlgNameTest : public NetSessionDlgTest,
                              public ::testing::WithParamInterface<NameCase>
{};

TEST_P(NetSessionDlgNameTest, OkRefusesAnEmptyNameOrOneLikeAnotherSessions)
{
    const NameCase& c = GetParam();
    SessionForm values = SessionFormForAdd();
    if (*c.edited) {
        NetSession session;
        session.Name = QString::fromUtf8(c.edited);
        ParseNetSession(sessions.value(session.Name), session);
        values = SessionFormFrom(session);
    }
    const auto dialog = open(values);
    TypeInto(*dialog, SessionField::SessionName, c.typed);
    pressOk(*dialog);
    if (!*c.message) {
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_TRUE(messages.texts().isEmpty());
        return;
    }
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(messages.texts(), QStringList(c.message));
    EXPECT_TRUE(dialog->control(SessionField::SessionName)->isAncestorOf(dialog->focusWidget()));
}

INSTANTIATE_TEST_SUITE_P(
    Names, NetSessionDlgNameTest,
    ::testing::Values(NameCase{"Empty", "", "", "Session may not be empty."},
                      NameCase{"NewLikeAnother", "", "home",
                               "The session name \"home\" differs from the session \"Home\" "
                               "only in letter case. Choose another name."},
                      NameCase{"OwnNameInOtherCase", "Home", "HOME", ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarvo
