// The "Browse" dialog on the offscreen platform, and "..." in the real main
// window storing the chosen folder into the session.
#include "gui/browse/BrowseDlg.h"

#include "config/NetSession.h"
#include "config/Settings.h"
#include "gui/browse/BrowseHandler.h"
#include "gui/main/FileListCtrl.h"
#include "gui/main/ImageLists.h"
#include "gui/main/SendApp.h"
#include "gui/main/SendDlg.h"
#include "tests/gui/MessageBoxWatcher.h"
#include "tests/gui/ModalScript.h"
#include "tests/support/BrowseTestSupport.h"
#include "tests/support/HeldConnections.h"
#include "tests/support/SambaServer.h"
#include "tests/support/ScriptedMessageService.h"

#include <functional>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

namespace tarvo {
namespace {

using test::ChildNamed;
using test::ChildTexts;

// Waits until the tree shows the item open with its folders read.
bool WaitUntilOpen(CBrowseDlg& dialog, const QModelIndex& item)
{
    return QTest::qWaitFor(
        [&] {
            return !dialog.model().isBusy() && dialog.tree().isExpanded(item) &&
                   !dialog.model().isPlaceholder(dialog.model().index(0, 0, item));
        },
        20000);
}

QPushButton* Button(QWidget& dialog, const char* name)
{
    return dialog.findChild<QPushButton*>(QLatin1String(name));
}

class BrowseDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tree.platform);
        tree.makeFolders({"cherry", "apple/inner/deepest", "Banana"});
        settings.Sessions.insert("Office", "Net,Put,\\\\pc\\docs,WG,\\apple,\\,None,,u,p");
    }

    std::unique_ptr<CBrowseDlg> open(const QString& name)
    {
        auto dialog = openConnecting(name, tree.platform->connections());
        EXPECT_TRUE(WaitUntilOpen(*dialog, dialog->model().rootItem()));
        return dialog;
    }

    // The dialog as it opens, before its share is connected.
    std::unique_ptr<CBrowseDlg> openConnecting(const QString& name, ShareConnections& connections)
    {
        auto dialog = std::make_unique<CBrowseDlg>(
            CBrowseDlg::Services{settings, tree.platform->files(), connections, messages, icons},
            name);
        dialog->show();
        return dialog;
    }

    test::DeviceTree tree;
    Settings settings;
    test::ScriptedMessageService messages;
    ImageList icons =
        ImageList::fromStrip(QStringLiteral(":/res/bitmap131.xpm"), 16, QColor(255, 0, 255));
};

TEST_F(BrowseDlgTest, OpensOnTheDeviceRootReadOneLevelAndSelected)
{
    auto dialog = open("Office");
    EXPECT_EQ(dialog->windowTitle(), "Browse");
    ASSERT_TRUE(dialog->findChild<QLabel*>());
    EXPECT_EQ(dialog->findChild<QLabel*>()->text(), "Please select a folder:");

    QTreeView& view = dialog->tree();
    const QModelIndex root = dialog->model().rootItem();
    EXPECT_EQ(root.data().toString(), "Pocket PC");
    EXPECT_EQ(view.currentIndex(), root);
    EXPECT_EQ(ChildTexts(dialog->model(), root), QStringList({"apple", "Banana", "cherry"}));
    // The session's own folder is not looked for: nothing below the first level is open.
    EXPECT_FALSE(view.isExpanded(ChildNamed(dialog->model(), root, "apple")));
    EXPECT_FALSE(root.data(Qt::DecorationRole).isNull());

    Button(*dialog, "okButton")->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->resultPath(), "\\");
}

TEST_F(BrowseDlgTest, KeysOpenFoldersAndEnterTakesTheOneTwoLevelsDown)
{
    auto dialog = open("Office");
    QTreeView& view = dialog->tree();
    const QModelIndex apple = ChildNamed(dialog->model(), dialog->model().rootItem(), "apple");
    view.setCurrentIndex(apple);
    QTest::keyClick(&view, Qt::Key_Right);
    ASSERT_TRUE(WaitUntilOpen(*dialog, apple));
    QTest::keyClick(&view, Qt::Key_Down);
    EXPECT_EQ(view.currentIndex().data().toString(), "inner");

    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->resultPath(), "\\apple\\inner");
}

TEST_F(BrowseDlgTest, FolderWithoutSubfoldersClosesAgainInHighSpeed)
{
    settings.TreeSpeed = true;
    auto dialog = open("Office");
    const QModelIndex cherry = ChildNamed(dialog->model(), dialog->model().rootItem(), "cherry");
    ASSERT_TRUE(dialog->model().hasChildren(cherry));
    dialog->tree().expand(cherry);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog->model().hasChildren(cherry); }, 20000));
    EXPECT_FALSE(dialog->tree().isExpanded(cherry));
}

TEST_F(BrowseDlgTest, CancelGivesNoPathAndAnUnknownNameAddsNothing)
{
    auto dialog = open("");
    EXPECT_EQ(dialog->model().rootItem().data().toString(), "Pocket PC");
    Button(*dialog, "cancelButton")->click();
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(dialog->resultPath().isEmpty());
    EXPECT_FALSE(settings.Sessions.contains(""));
}

// A Get session's share is connected off the window's thread: the dialog
// serves its events while the server says nothing, keeps OK off, and shows
// the failure once it is known; the tree then holds the share's root.
TEST_F(BrowseDlgTest, ASilentServerHoldsUpNoEventAndItsFailureShowsWhenKnown)
{
    test::SilentServer silent;
    ASSERT_NE(silent.port(), 0);
    const QString share = QStringLiteral("\\\\%1\\share").arg(silent.server());
    settings.Sessions.insert("Silent", "Net,Get," + share + ",WG,\\In,\\,None,,tester,x");
    auto dialog = openConnecting("Silent", tree.platform->connections());
    EXPECT_EQ(dialog->model().rootItem().data().toString(), share);
    EXPECT_TRUE(dialog->isConnecting());
    EXPECT_FALSE(Button(*dialog, "okButton")->isEnabled());

    bool served = false;
    QTimer::singleShot(0, dialog.get(), [&] { served = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return served; }, 20000));
    EXPECT_TRUE(dialog->isConnecting()) << "the server has not answered yet";
    dialog->accept();
    EXPECT_TRUE(dialog->isVisible()) << "nothing to choose from yet";
    EXPECT_TRUE(messages.texts().isEmpty());

    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->isConnecting(); }, 20000));
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts().first().startsWith("Failed to map to network share " + share))
        << messages.texts().first().toStdString();
    EXPECT_TRUE(Button(*dialog, "okButton")->isEnabled());
    Button(*dialog, "okButton")->click();
    EXPECT_EQ(dialog->resultPath(), share);
}

TEST_F(BrowseDlgTest, ClosingWhileConnectingDropsTheAttempt)
{
    test::HeldConnections connections;
    settings.Sessions.insert("Silent", "Net,Get,\\\\127.0.0.1:1\\share,WG,\\In,\\,None,,u,p");
    auto dialog = openConnecting("Silent", connections);
    ASSERT_TRUE(connections.waitUntilAsked());
    Button(*dialog, "cancelButton")->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog->isConnecting());

    // The logon ends after the dialog has closed: nothing is shown for it.
    QTimer::singleShot(0, dialog.get(), [&] { connections.release(PlatformError::SemTimeout); });
    dialog.reset();
    EXPECT_TRUE(connections.released());
    EXPECT_TRUE(messages.texts().isEmpty());
}

// The main window on a configuration file, with "..." plugged in.
class MainWindowBrowse
{
public:
    CSendDlg& open(const QString& sessions, const QString& defaultSession)
    {
        const QString config = folder.write(
            "tarvo.txt", QStringLiteral("[Setting]\r\nDefaultSession=%1\r\n[Session]\r\n%2")
                             .arg(defaultSession, sessions)
                             .toLocal8Bit());
        app = std::make_unique<CSendApp>(config, tree.device.path());
        EXPECT_TRUE(app->InitSockets());
        EXPECT_TRUE(app->LoadConfiguration());
        app->CreateImageLists();
        CSendDlg::Handlers handlers;
        handlers.browse = &tarvo::OnBrowse;
        window = std::make_unique<CSendDlg>(*app, handlers);
        QSignalSpy refreshed(window.get(), &CSendDlg::refreshFinished);
        window->show();
        EXPECT_TRUE(refreshed.wait(20000));
        return *window;
    }

    // Presses "..." and, once the tree is read, picks the child of the root
    // named name and presses OK.
    bool browseTo(const QString& name)
    {
        test::ModalScript user({[name](QDialog& shown) {
            auto& dialog = static_cast<CBrowseDlg&>(shown);
            if (WaitUntilOpen(dialog, dialog.model().rootItem()))
                dialog.tree().setCurrentIndex(
                    ChildNamed(dialog.model(), dialog.model().rootItem(), name));
            Button(dialog, "okButton")->click();
        }});
        Button(*window, "browseButton")->click();
        return user.titles() == QStringList{"Browse"};
    }

    QString line(const QString& name) const { return app->settings().Sessions.value(name); }
    QString pathBox() const { return window->pathBox().text(); }

    test::TempFolder folder;
    test::DeviceTree tree;
    test::MessageBoxWatcher boxes;
    std::unique_ptr<CSendApp> app;
    std::unique_ptr<CSendDlg> window;
};

TEST(OnBrowseTest, SameFolderAsThePathBoxLeavesEverythingAlone)
{
    MainWindowBrowse main;
    main.tree.makeFolders({"docs", "work"});
    main.tree.device.write("docs/a.txt", "a");
    const QString office = "Net,Put,\\\\pc\\docs,WG,\\docs,\\,None,,u,p";
    CSendDlg& window = main.open("Office=" + office + "\r\n", "Office");
    ASSERT_EQ(window.fileList().model().rowCount(), 1);

    ASSERT_TRUE(main.browseTo("docs"));
    EXPECT_EQ(main.line("Office"), office);
    EXPECT_EQ(main.pathBox(), "\\docs\\");
    // A refresh would have emptied the list as it started.
    EXPECT_EQ(window.fileList().model().rowCount(), 1) << "no refresh for an unchanged folder";
}

TEST(OnBrowseTest, WithoutASessionNothingIsStored)
{
    MainWindowBrowse main;
    main.tree.makeFolders({"work"});
    main.open("", "");
    const SessionTable before = main.app->settings().Sessions;
    ASSERT_TRUE(main.browseTo("work"));
    EXPECT_TRUE(main.app->settings().Sessions == before) << "no Net line under the empty name";
    EXPECT_EQ(main.pathBox(), "\\My Documents\\");
}

class OnBrowseShareTest : public test::SambaTest
{};

TEST_F(OnBrowseShareTest, GetSessionTakesTheFolderBelowTheShare)
{
    ASSERT_TRUE(QDir(samba().shareFolder()).mkpath("Reports/2026"));
    MainWindowBrowse main;
    const QString line = QStringLiteral("Net,Get,%1,WG,\\In,\\,None,,tester,%2")
                             .arg(samba().shareText(), samba().password());
    main.open("Files=" + line + "\r\n", "Files");
    EXPECT_EQ(main.pathBox(), samba().shareText() + "\\");

    ASSERT_TRUE(main.browseTo("Reports"));
    NetSession session;
    ParseNetSession(main.line("Files"), session);
    EXPECT_EQ(session.PcFolder, "\\Reports");
    EXPECT_EQ(session.LocalFolder, "\\In");
    EXPECT_EQ(main.pathBox(), samba().shareText() + "\\Reports\\");
    EXPECT_TRUE(main.boxes.texts().isEmpty()) << main.boxes.texts().join('\n').toStdString();
}

} // namespace
} // namespace tarvo
