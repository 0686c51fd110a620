#include "gui/options/NetPage.h"

#include "config/NetSession.h"
#include "config/Settings.h"
#include "gui/main/ImageLists.h"
#include "gui/options/NetSessionDlg.h"
#include "gui/widgets/CheckListCtrl.h"
#include "tests/gui/ModalScript.h"
#include "tests/gui/NetSessionTestSupport.h"
#include "tests/support/ScriptedMessageService.h"

#include <gtest/gtest.h>
#include <QHeaderView>
#include <QPushButton>

namespace tarvo {
namespace {

using test::ModalScript;
using test::TypeInto;

QString PutLine(const QString& server)
{
    return QStringLiteral("Net,Put,\\\\%1\\docs,WG,\\Docs,\\,None,,ann,pw").arg(server);
}

CNetSessionDlg& SessionDialog(QDialog& dialog)
{
    return *qobject_cast<CNetSessionDlg*>(&dialog);
}

class NetPageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        settings.Sessions.insert(QStringLiteral("beta"), PutLine("b"));
        settings.Sessions.insert(QStringLiteral("Alpha"), PutLine("a"));
        settings.Sessions.insert(QStringLiteral("ftp"), QStringLiteral("Ftp,Put,host,x"));
        settings.Sessions.insert(QString(), PutLine("nameless"));
        settings.Sessions.insert(QStringLiteral("gamma"), PutLine("g"));
        settings.Sessions.insert(QStringLiteral("Gamma"), PutLine("G"));
        settings.DefaultSession = {QStringLiteral("beta"), QStringLiteral("ALPHA")};
    }

    // The page fills its list when it is first shown.
    void open()
    {
        page = std::make_unique<CNetPage>(settings, messages, sessionIcons, checkBoxes);
        page->resize(400, 300);
        page->show();
    }

    CCheckListCtrl& list() { return page->list(); }

    QStringList column(int column)
    {
        QStringList texts;
        for (int row = 0; row < list().topLevelItemCount(); ++row)
            texts.append(list().topLevelItem(row)->text(column));
        return texts;
    }

    // 12 or 13: the session icon that a row shows.
    int iconOf(const QString& name)
    {
        const QImage shown = list()
                                 .topLevelItem(page->FindRow(name))
                                 ->icon(0)
                                 .pixmap(16, 16)
                                 .toImage()
                                 .convertToFormat(QImage::Format_ARGB32);
        for (const int cell : {12, 13}) {
            if (shown == sessionIcons.pixmap(cell).toImage().convertToFormat(QImage::Format_ARGB32))
                return cell;
        }
        return -1;
    }

    void tick(const QString& name)
    {
        const QRect box = list().stateIconRect(page->FindRow(name));
        QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, box.center());
    }

    void click(const char* button)
    {
        QTest::mouseClick(page->findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
    }

    Settings settings;
    test::ScriptedMessageService messages;
    ImageList sessionIcons =
        ImageList::fromStrip(QStringLiteral(":/res/bitmap131.xpm"), 16, QColor(255, 0, 255));
    ImageList checkBoxes =
        ImageList::fromStrip(QStringLiteral(":/res/bitmap140.xpm"), 16, QColor(255, 0, 0));
    std::unique_ptr<CNetPage> page;
};

TEST_F(NetPageTest, ListsTheNamedNetSessionsInNameOrder)
{
    ASSERT_EQ(sessionIcons.count(), 14);
    open();
    EXPECT_EQ(list().headerItem()->text(0), "Name");
    EXPECT_EQ(list().headerItem()->text(1), "Share");
    // A share path as offices name them shows whole.
    EXPECT_GT(
        list().header()->sectionSize(1),
        QFontMetrics(list().font()).horizontalAdvance("\\\\fileserver.example.com\\documents"));
    // Neither the Ftp session nor the one without a name; two names that
    // differ in case are two sessions.
    EXPECT_EQ(column(0), QStringList({"Alpha", "beta", "gamma", "Gamma"}));
    EXPECT_EQ(column(1), QStringList({"\\\\a\\docs", "\\\\b\\docs", "\\\\g\\docs", "\\\\G\\docs"}));
    // A default entry matches regardless of case.
    EXPECT_EQ(iconOf("Alpha"), 13);
    EXPECT_EQ(iconOf("beta"), 13);
    EXPECT_EQ(iconOf("gamma"), 12);
    for (int row = 0; row < list().topLevelItemCount(); ++row)
        EXPECT_EQ(list().state(row), CCheckListCtrl::Unticked);
    EXPECT_EQ(messages.waitCursorCount(), 1);
    EXPECT_EQ(messages.waitCursorDepth(), 0);
}

TEST_F(NetPageTest, AddStoresTheSessionAndShowsItAtOnce)
{
    open();
    ModalScript script({[](QDialog& dialog) {
                            TypeInto(SessionDialog(dialog), SessionField::SessionName, "Office");
                            TypeInto(SessionDialog(dialog), SessionField::Share, "\\\\fs\\team");
                            TypeInto(SessionDialog(dialog), SessionField::Op, "Put");
                            dialog.accept();
                        },
                        [](QDialog& dialog) {
                            TypeInto(SessionDialog(dialog), SessionField::SessionName, "Ignored");
                            dialog.reject();
                        }});
    click("addButton");
    click("addButton");
    EXPECT_EQ(script.titles(), QStringList({"Map Network Drive", "Map Network Drive"}));

    EXPECT_EQ(settings.Sessions.value("Office"), "Net,Put,\\\\fs\\team,WORKGROUP,,,None,,,");
    EXPECT_FALSE(settings.Sessions.contains("Ignored"));
    EXPECT_EQ(column(0), QStringList({"Alpha", "beta", "gamma", "Gamma", "Office"}));
    EXPECT_EQ(list().topLevelItem(page->FindRow("Office"))->text(1), "\\\\fs\\team");
    EXPECT_EQ(iconOf("Office"), 12);
}

TEST_F(NetPageTest, AddUnderAnExistingNameReplacesItAndTheRowKeepsIconAndTick)
{
    settings.Sessions.insert(QStringLiteral("old"), QStringLiteral("Ftp,Get,host,x"));
    open();
    tick("beta");
    ModalScript script({[](QDialog& dialog) {
                            TypeInto(SessionDialog(dialog), SessionField::SessionName, "beta");
                            TypeInto(SessionDialog(dialog), SessionField::Share, "\\\\new\\s");
                            dialog.accept();
                        },
                        [](QDialog& dialog) {
                            TypeInto(SessionDialog(dialog), SessionField::SessionName, "old");
                            dialog.accept();
                        }});
    click("addButton");
    click("addButton");

    EXPECT_EQ(settings.Sessions.value("beta"), "Net,None,\\\\new\\s,WORKGROUP,,,None,,,");
    const int row = page->FindRow("beta");
    EXPECT_EQ(list().topLevelItem(row)->text(1), "\\\\new\\s");
    EXPECT_EQ(list().state(row), CCheckListCtrl::Ticked);
    EXPECT_EQ(iconOf("beta"), 13);
    // A session of the other kind is replaced too, and now listed.
    EXPECT_EQ(SessionKind(settings.Sessions.value("old")), KindNet);
    EXPECT_GE(page->FindRow("old"), 0);
}

TEST_F(NetPageTest, EditWithoutSelectionAsksForOne)
{
    open();
    ModalScript script({});
    click("editButton");
    EXPECT_EQ(script.dialogsSeen(), 0);
    EXPECT_EQ(messages.texts(), QStringList({"Please select one item"}));
}

TEST_F(NetPageTest, EditRunsOneDialogPerSelectedSessionInRowOrder)
{
    open();
    for (const char* name : {"gamma", "Alpha", "beta"})
        list().topLevelItem(page->FindRow(name))->setSelected(true);
    const QString betaLine = settings.Sessions.value("beta");
    const QString gammaLine = settings.Sessions.value("gamma");

    QStringList shown;
    ModalScript script({[&](QDialog& dialog) {
                            shown.append(SessionDialog(dialog).values().sessionName);
                            TypeInto(SessionDialog(dialog), SessionField::Domain, "CORP");
                            dialog.accept();
                        },
                        [&](QDialog& dialog) {
                            shown.append(SessionDialog(dialog).values().sessionName);
                            TypeInto(SessionDialog(dialog), SessionField::Domain, "LOST");
                            dialog.reject();
                        },
                        [&](QDialog& dialog) {
                            shown.append(SessionDialog(dialog).values().sessionName);
                            TypeInto(SessionDialog(dialog), SessionField::SessionName, "delta");
                            dialog.accept();
                        }});
    click("editButton");

    EXPECT_EQ(shown, QStringList({"Alpha", "beta", "gamma"}));
    EXPECT_EQ(settings.Sessions.value("Alpha"), "Net,Put,\\\\a\\docs,CORP,\\Docs,\\,None,,ann,pw");
    EXPECT_EQ(settings.Sessions.value("beta"), betaLine);
    // The rename keeps the old session and adds the new one.
    EXPECT_EQ(settings.Sessions.value("gamma"), gammaLine);
    EXPECT_EQ(settings.Sessions.value("delta"), gammaLine);
    EXPECT_EQ(column(0), QStringList({"Alpha", "beta", "delta", "gamma", "Gamma"}));
}

TEST_F(NetPageTest, EditChangingOnlyTheLetterCaseRenamesTheSession)
{
    open();
    tick("beta");
    list().topLevelItem(page->FindRow("beta"))->setSelected(true);
    ModalScript script({[](QDialog& dialog) {
        TypeInto(SessionDialog(dialog), SessionField::SessionName, "Beta");
        TypeInto(SessionDialog(dialog), SessionField::Domain, "CORP");
        dialog.accept();
    }});
    click("editButton");

    EXPECT_FALSE(settings.Sessions.contains("beta"));
    EXPECT_EQ(settings.Sessions.value("Beta"), "Net,Put,\\\\b\\docs,CORP,\\Docs,\\,None,,ann,pw");
    // Still the default, still ticked, in the same row.
    EXPECT_EQ(settings.DefaultSession, QStringList({"Beta", "ALPHA"}));
    EXPECT_EQ(column(0), QStringList({"Alpha", "Beta", "gamma", "Gamma"}));
    EXPECT_EQ(iconOf("Beta"), 13);
    EXPECT_TRUE(list().isTicked(page->FindRow("Beta")));
}

TEST_F(NetPageTest, RemoveTakesTheTickedRowsAndAsksForDefaults)
{
    open();
    click("removeButton"); // nothing ticked: nothing happens, nothing asked
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_EQ(list().topLevelItemCount(), 4);

    tick("beta");
    tick("gamma");
    list().topLevelItem(page->FindRow("Alpha"))->setSelected(true); // selection plays no part
    messages.answerNext(MessageResult::Cancel);
    click("removeButton");

    EXPECT_EQ(messages.texts(), QStringList({"Delete default?"}));
    EXPECT_EQ(column(0), QStringList({"Alpha", "beta", "Gamma"}));
    EXPECT_FALSE(settings.Sessions.contains("gamma"));
    EXPECT_TRUE(settings.Sessions.contains("beta"));
    EXPECT_EQ(list().state(page->FindRow("beta")), CCheckListCtrl::Ticked);
    EXPECT_EQ(settings.DefaultSession, QStringList({"beta", "ALPHA"}));

    // Answered OK, the default session goes from the list of defaults too.
    click("removeButton");
    EXPECT_FALSE(settings.Sessions.contains("beta"));
    EXPECT_EQ(settings.DefaultSession, QStringList({"ALPHA"}));
}

TEST_F(NetPageTest, SetDefaultMakesTheTickedRowsTheDefaultsInRowOrder)
{
    open();
    tick("gamma");
    tick("Alpha");
    tick("Gamma");
    tick("Gamma"); // ticked twice: unticked again
    click("setDefaultButton");

    EXPECT_EQ(settings.DefaultSession, QStringList({"Alpha", "gamma"}));
    EXPECT_EQ(iconOf("Alpha"), 13);
    EXPECT_EQ(iconOf("beta"), 12);
    EXPECT_EQ(iconOf("gamma"), 13);
    EXPECT_EQ(iconOf("Gamma"), 12);
    EXPECT_TRUE(list().isTicked(page->FindRow("gamma")));

    tick("gamma");
    tick("Alpha");
    click("setDefaultButton");
    EXPECT_TRUE(settings.DefaultSession.isEmpty());
    EXPECT_EQ(iconOf("Alpha"), 12);
}

} // namespace
} // namespace tarvo
