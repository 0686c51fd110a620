// The "Browse" dialog, and "..." in the main window storing the chosen folder.

#include "tests/support/HeldConnections.h"
#include "tests/support/UiTestSupport.h"

namespace tarvo::test {
namespace {

class BrowseDlgTest : public ::testing::Test
{
protected:
    std::unique_ptr<CBrowseDlg> open(const QString& name, ShareConnections* connections = nullptr)
    {
        for (const char* folder : {"cherry", "apple/inner", "Banana"})
            QDir(device.path()).mkpath(folder);
        settings.Sessions.insert("Office", "Net,Put,\\\\pc\\docs,WG,\\apple,\\,None,,u,p");
        auto dialog = std::make_unique<CBrowseDlg>(
            CBrowseDlg::Services{settings, platform->files(),
                                 connections ? *connections : platform->connections(), messages,
                                 icons},
            name);
        dialog->show();
        return dialog;
    }

    TempFolder device;
    std::unique_ptr<PlatformServices> platform = PlatformServices::create(device.path());
    Settings settings;
    ScriptedMessageService messages;
    ImageList icons = SessionIcons();
};

TEST_F(BrowseDlgTest, OpensOnTheDeviceRootOneLevelDeepAndKeysOpenFolders)
{
    auto dialog = open("Office");
    ASSERT_TRUE(WaitUntilOpen(*dialog));
    const QModelIndex root = dialog->model().rootItem();
    EXPECT_EQ(root.data().toString(), "Pocket PC");
    EXPECT_TRUE(dialog->tree().currentIndex() == root && dialog->model().rowCount(root) == 3);
    EXPECT_FALSE(dialog->tree().isExpanded(Child(*dialog, "apple"))) << "nothing deeper is read";
    dialog->tree().setCurrentIndex(Child(*dialog, "apple"));
    QTest::keyClick(&dialog->tree(), Qt::Key_Right);
    ASSERT_TRUE(WaitUntilOpen(*dialog, Child(*dialog, "apple")));
    QTest::keyClick(&dialog->tree(), Qt::Key_Down);
    QTest::keyClick(&dialog->tree(), Qt::Key_Return);
    EXPECT_EQ(dialog->result() == QDialog::Accepted ? dialog->resultPath() : "", "\\apple\\inner");

    settings.TreeSpeed = true;
    dialog = open("Unknown");
    ASSERT_TRUE(WaitUntilOpen(*dialog));
    const QModelIndex cherry = Child(*dialog, "cherry");
    ASSERT_TRUE(dialog->model().hasChildren(cherry));
    dialog->tree().expand(cherry);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog->model().hasChildren(cherry); }));
    EXPECT_FALSE(dialog->tree().isExpanded(cherry)) << "a leaf folder closes again";
    dialog->findChild<QPushButton*>("cancelButton")->click();
    EXPECT_TRUE(dialog->resultPath().isEmpty() && !settings.Sessions.contains("Unknown"));
}

// A Get session's share is connected off the window's thread: the dialog
// serves its events while the server says nothing, keeps OK off, and shows
// the failure once it is known; the tree then holds the share's root.
TEST_F(BrowseDlgTest, ASilentServerHoldsUpNoEventAndClosingDropsTheAttempt)
{
    SilentServer silent;
    const QString share = QStringLiteral("\\\\%1\\share").arg(silent.server());
    settings.Sessions.insert("Silent", "Net,Get," + share + ",WG,\\In,\\,None,,tester,x");
    auto dialog = open("Silent");
    auto* ok = dialog->findChild<QPushButton*>("okButton");
    EXPECT_EQ(dialog->model().rootItem().data().toString(), share);
    ASSERT_TRUE(WaitForEventsPostedSoFar(*dialog));
    EXPECT_TRUE(dialog->isConnecting() && !ok->isEnabled()) << "the server has not answered yet";
    dialog->accept();
    EXPECT_TRUE(dialog->isVisible()) << "nothing to choose from yet";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->isConnecting(); }, 20000));
    EXPECT_TRUE(messages.texts().size() == 1 &&
                messages.texts().first().startsWith("Failed to map to network share " + share));
    ok->click();
    EXPECT_EQ(dialog->resultPath(), share);

    messages.clear();
    HeldConnections connections;
    dialog = open("Silent", &connections);
    ASSERT_TRUE(connections.asked.tryAcquire(1, 20000));
    dialog->findChild<QPushButton*>("cancelButton")->click();
    EXPECT_FALSE(dialog->isVisible() || dialog->isConnecting());
    QTimer::singleShot(0, dialog.get(), [&] { connections.release(); });
    dialog.reset();
    EXPECT_TRUE(connections.released);
    EXPECT_EQ(messages.texts(), QStringList()) << "nothing shown for a logon that ends later";
}

} // namespace
} // namespace tarvo::test
