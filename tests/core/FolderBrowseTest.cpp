// The folder browser's core: the item path rule, the lazy reading and the
// probe on a device root of real folders and on a real Samba share, the
// root of a Get session, and what the main window stores from a choice.
#include "config/NetSession.h"
#include "config/SessionTable.h"
#include "core/browse/BrowseRoot.h"
#include "core/browse/FolderReader.h"
#include "platform/ShareConnections.h"
#include "tests/support/BrowseTestSupport.h"
#include "tests/support/HeldConnections.h"
#include "tests/support/SambaServer.h"
#include "tests/support/ScriptedMessageService.h"

#include <QItemSelectionModel>
#include <QTimer>

namespace tarvo {
namespace {

using test::ChildNamed;
using test::ChildTexts;
using test::ExpandAndWait;

TEST(FolderItemPathTest, JoinsTheTextsFromTheRootDown)
{
    const struct
    {
        QStringList texts;
        QString path;
    } cases[] = {
        {{"Pocket PC"}, "\\"},
        {{"Pocket PC", "My Documents"}, "\\My Documents"},
        {{"Pocket PC", "first", "second"}, "\\first\\second"},
        {{"\\\\pc\\docs"}, "\\\\pc\\docs"},
        {{"\\\\pc\\docs", "Reports", "2026"}, "\\\\pc\\docs\\Reports\\2026"},
        // Only the exact device text stands for "\".
        {{"pocket pc", "x"}, "pocket pc\\x"},
        // A root that already ends in a separator gets no second one.
        {{"\\\\pc\\", "x"}, "\\\\pc\\x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FolderItemPath(c.texts), c.path) << c.texts.join('|').toStdString();
}

TEST(FolderReaderTest, ShowsOnlyFoldersWhoseNamesStayInside)
{
    const auto folder = [](const QString& name) {
        return DirEntry{name, FileInfo{FileAttribute::Directory | FileAttribute::Hidden}};
    };
    EXPECT_TRUE(FolderReader::isShownFolder(folder(".hidden")));
    EXPECT_TRUE(FolderReader::isShownFolder(folder("a.b")));
    EXPECT_FALSE(FolderReader::isShownFolder(folder(".")));
    EXPECT_FALSE(FolderReader::isShownFolder(folder("..")));
    EXPECT_FALSE(FolderReader::isShownFolder(folder("a\\..\\..")));
    EXPECT_FALSE(FolderReader::isShownFolder(folder("a/b")));
    EXPECT_FALSE(FolderReader::isShownFolder(folder("")));
    EXPECT_FALSE(FolderReader::isShownFolder(DirEntry{"file.txt", FileInfo{}}));
}

class DeviceBrowseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tree.platform);
        tree.makeFolders({"cherry", "apple/inner/deepest", "Banana", ".hidden/sub"});
        tree.device.write("file.txt", "x");
        tree.device.write("apple/only-a-file.txt", "x");
        model.setRoot(QString::fromUtf16(DeviceRootText));
    }

    QModelIndex root() const { return model.rootItem(); }

    test::DeviceTree tree;
    FolderTreeModel model{tree.platform->files()};
};

TEST_F(DeviceBrowseTest, RootIsTheDeviceAndListsItsFoldersSortedWithoutFiles)
{
    EXPECT_EQ(root().data().toString(), "Pocket PC");
    EXPECT_EQ(model.path(root()), "\\");
    EXPECT_TRUE(model.hasChildren(root())) << "the root shows a button before it is read";

    ASSERT_EQ(ExpandAndWait(model, root()), 4);
    EXPECT_EQ(ChildTexts(model, root()), QStringList({".hidden", "apple", "Banana", "cherry"}));

    const QModelIndex apple = ChildNamed(model, root(), "apple");
    EXPECT_EQ(model.path(apple), "\\apple");
    ASSERT_EQ(ExpandAndWait(model, apple), 1);
    const QModelIndex inner = ChildNamed(model, apple, "inner");
    EXPECT_EQ(model.path(inner), "\\apple\\inner");
    EXPECT_EQ(ChildTexts(model, apple), QStringList({"inner"})) << "files never show";
}

TEST_F(DeviceBrowseTest, ProbeGivesButtonsOnlyToFoldersWithSubfolders)
{
    ASSERT_EQ(ExpandAndWait(model, root()), 4);
    EXPECT_TRUE(model.hasChildren(ChildNamed(model, root(), "apple")));
    EXPECT_TRUE(model.hasChildren(ChildNamed(model, root(), ".hidden")));
    EXPECT_FALSE(model.hasChildren(ChildNamed(model, root(), "cherry")));
    EXPECT_FALSE(model.hasChildren(ChildNamed(model, root(), "Banana")));
    // The button is a placeholder that nobody can select.
    const QModelIndex placeholder = model.index(0, 0, ChildNamed(model, root(), "apple"));
    EXPECT_TRUE(model.isPlaceholder(placeholder));
    EXPECT_EQ(model.flags(placeholder), Qt::NoItemFlags);
}

TEST_F(DeviceBrowseTest, ButtonsSettleTheSameWhenProbesComeOneAtATime)
{
    // Every probe in a batch of its own, as the probes of a large folder on a share come.
    model.setBatchInterval(0);
    QSignalSpy read(&model, &FolderTreeModel::folderRead);
    ASSERT_EQ(ExpandAndWait(model, root()), 4);
    EXPECT_EQ(read.size(), 1);
    EXPECT_TRUE(model.hasChildren(ChildNamed(model, root(), "apple")));
    EXPECT_TRUE(model.hasChildren(ChildNamed(model, root(), ".hidden")));
    EXPECT_FALSE(model.hasChildren(ChildNamed(model, root(), "cherry")));
    EXPECT_FALSE(model.hasChildren(ChildNamed(model, root(), "Banana")));
}

TEST_F(DeviceBrowseTest, HighSpeedGivesEveryFolderAButtonUntilItRefusesToOpen)
{
    model.setTreeSpeed(true);
    ASSERT_EQ(ExpandAndWait(model, root()), 4);
    const QModelIndex cherry = ChildNamed(model, root(), "cherry");
    EXPECT_TRUE(model.hasChildren(cherry));

    EXPECT_EQ(ExpandAndWait(model, cherry), 0);
    EXPECT_FALSE(model.hasChildren(cherry));
}

TEST_F(DeviceBrowseTest, EveryOpeningReadsTheFolderAgain)
{
    ASSERT_EQ(ExpandAndWait(model, root()), 4);
    tree.makeFolders({"aardvark/sub"});
    QDir(tree.device.path()).rmdir("cherry");

    ASSERT_EQ(ExpandAndWait(model, root()), 4);
    EXPECT_EQ(ChildTexts(model, root()), QStringList({".hidden", "aardvark", "apple", "Banana"}));
    EXPECT_TRUE(model.hasChildren(ChildNamed(model, root(), "aardvark")));

    // A folder that lost its subfolders since it was probed does not open.
    const QModelIndex apple = ChildNamed(model, root(), "apple");
    ASSERT_TRUE(QDir(tree.device.filePath("apple")).removeRecursively());
    tree.makeFolders({"apple"});
    EXPECT_EQ(ExpandAndWait(model, apple), 0);
    EXPECT_FALSE(model.hasChildren(apple));
}

TEST_F(DeviceBrowseTest, SelectionMovesToTheFolderThatIsReadAgain)
{
    QItemSelectionModel selection(&model);
    KeepSelectionOnParent(model, selection);
    ASSERT_EQ(ExpandAndWait(model, root()), 4);
    const QModelIndex apple = ChildNamed(model, root(), "apple");
    ASSERT_EQ(ExpandAndWait(model, apple), 1);
    const QModelIndex inner = ChildNamed(model, apple, "inner");
    ASSERT_EQ(ExpandAndWait(model, inner), 1);

    // Reading inner again throws its child away; a selection two levels down
    // goes to the folder being read, not to nowhere.
    selection.setCurrentIndex(model.index(0, 0, inner), QItemSelectionModel::ClearAndSelect);
    ASSERT_EQ(ExpandAndWait(model, inner), 1);
    EXPECT_EQ(model.path(selection.currentIndex()), "\\apple\\inner");
    EXPECT_TRUE(selection.isSelected(selection.currentIndex()));

    ASSERT_EQ(ExpandAndWait(model, root()), 4);
    EXPECT_EQ(selection.currentIndex(), root());
}

TEST_F(DeviceBrowseTest, FolderThatCannotBeListedLosesItsButtonButTheRootKeepsIt)
{
    ASSERT_EQ(ExpandAndWait(model, root()), 4);
    const QModelIndex apple = ChildNamed(model, root(), "apple");
    ASSERT_TRUE(QDir(tree.device.filePath("apple")).removeRecursively());
    EXPECT_EQ(ExpandAndWait(model, apple), 0);
    EXPECT_FALSE(model.hasChildren(apple));

    FolderTreeModel missing(tree.platform->files());
    missing.setRoot("\\\\127.0.0.1:1\\nothing");
    EXPECT_EQ(ExpandAndWait(missing, missing.rootItem()), 0);
    EXPECT_TRUE(missing.hasChildren(missing.rootItem()));
    EXPECT_EQ(missing.path(missing.rootItem()), "\\\\127.0.0.1:1\\nothing");
}

class ShareBrowseTest : public test::SambaTest
{
protected:
    QString getLine(const QString& password) const
    {
        return QStringLiteral("Net,Get,%1,WG,\\In,\\,None,,tester,%2")
            .arg(samba().shareText(), password);
    }
    void makeOnShare(const QString& relativePath) const
    {
        ASSERT_TRUE(QDir(samba().shareFolder()).mkpath(relativePath));
    }

    // The root of the session's tree, once its share has been tried; false
    // when the connection failed.
    bool connectRoot(const QString& line, QString& root)
    {
        const BrowseRoot browseRoot = BrowseRootOf(line);
        EXPECT_TRUE(browseRoot.connectFirst);
        root = browseRoot.text;
        RootConnector connector(tree.platform->connections(), messages);
        QSignalSpy finished(&connector, &RootConnector::finished);
        connector.start("Office", line);
        EXPECT_TRUE(finished.wait(20000));
        return !finished.isEmpty() && finished.first().first().toBool();
    }

    test::DeviceTree tree;
    test::ScriptedMessageService messages;
};

TEST_F(ShareBrowseTest, GetSessionConnectsItsShareAndBrowsesItWithNetworkPaths)
{
    makeOnShare("Reports/2026");
    makeOnShare("archive");
    ShareConnections& connections = tree.platform->connections();
    QString root;
    EXPECT_TRUE(connectRoot(getLine(samba().password()), root));
    EXPECT_EQ(root, samba().shareText());
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join('\n').toStdString();
    QString remote;
    EXPECT_EQ(connections.getConnection("Office", remote), 0);

    FolderTreeModel model(tree.platform->files());
    model.setRoot(root);
    EXPECT_EQ(model.path(model.rootItem()), samba().shareText());
    ASSERT_EQ(ExpandAndWait(model, model.rootItem()), 2);
    EXPECT_EQ(ChildTexts(model, model.rootItem()), QStringList({"archive", "Reports"}));
    const QModelIndex reports = ChildNamed(model, model.rootItem(), "Reports");
    EXPECT_TRUE(model.hasChildren(reports));
    EXPECT_FALSE(model.hasChildren(ChildNamed(model, model.rootItem(), "archive")));
    ASSERT_EQ(ExpandAndWait(model, reports), 1);
    EXPECT_EQ(model.path(model.index(0, 0, reports)), samba().shareText() + "\\Reports\\2026");
}

TEST_F(ShareBrowseTest, ShareThatCannotBeConnectedLeavesTheRootAlone)
{
    QString root;
    EXPECT_FALSE(connectRoot(getLine("wrong"), root));
    EXPECT_EQ(root, samba().shareText());
    EXPECT_EQ(messages.texts(),
              QStringList({"Failed to map to network share \\\\" + samba().server() +
                           "\\share\r\nWrong user name or password."}));

    FolderTreeModel model(tree.platform->files());
    model.setRoot(root);
    EXPECT_EQ(ExpandAndWait(model, model.rootItem()), 0);
    EXPECT_TRUE(model.hasChildren(model.rootItem()));
    EXPECT_EQ(model.path(model.rootItem()), samba().shareText());
}

TEST(BrowseRootTest, EveryOtherSessionBrowsesTheDevice)
{
    for (const QString line :
         {"Net,Put,\\\\pc\\docs,WG,\\My Documents,\\,None,,u,p",
          "Net,None,\\\\pc\\docs,WG,\\My Documents,\\,None,,u,p", "Ftp,Get,host,u,p", ""}) {
        const BrowseRoot root = BrowseRootOf(line);
        EXPECT_EQ(root.text, "Pocket PC") << line.toStdString();
        EXPECT_FALSE(root.connectFirst) << "no connection is tried";
    }
}

const QString SilentLine = QStringLiteral("Net,Get,\\\\127.0.0.1:1\\share,WG,\\In,\\,None,,u,p");

// The share of a Get session is connected off the window's thread: a server
// that says nothing holds up no event, and its failure is shown once known.
TEST(RootConnectorTest, TheWindowsThreadGoesOnWhileTheServerSaysNothing)
{
    test::HeldConnections connections;
    test::ScriptedMessageService messages;
    RootConnector connector(connections, messages);
    QSignalSpy finished(&connector, &RootConnector::finished);
    connector.start("Silent", SilentLine);
    ASSERT_TRUE(connections.waitUntilAsked());

    bool served = false;
    QTimer::singleShot(0, &connector, [&] { served = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return served; }, 20000));
    EXPECT_TRUE(connector.isConnecting());
    EXPECT_TRUE(finished.isEmpty());
    EXPECT_TRUE(messages.texts().isEmpty());

    connections.release(PlatformError::SemTimeout);
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_FALSE(finished.first().first().toBool());
    EXPECT_FALSE(connector.isConnecting());
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_TRUE(messages.texts().first().startsWith(
        "Failed to map to network share \\\\127.0.0.1:1\\share\r\nThe server at 127.0.0.1, port 1, "
        "did not answer"))
        << messages.texts().first().toStdString();
    EXPECT_EQ(messages.messages().first().icon, MessageIcon::Error);
}

TEST(RootConnectorTest, AnAbandonedAttemptEndsOnItsOwnAndShowsNothing)
{
    test::HeldConnections connections;
    test::ScriptedMessageService messages;
    auto connector = std::make_unique<RootConnector>(connections, messages);
    bool reported = false;
    QObject::connect(connector.get(), &RootConnector::finished, [&] { reported = true; });
    connector->start("Silent", SilentLine);
    ASSERT_TRUE(connections.waitUntilAsked());
    connector->abandon();
    EXPECT_FALSE(connector->isConnecting());

    // Going away waits for the logon while serving events, so the release
    // posted here ends it; without them the logon would give up by itself.
    QTimer::singleShot(0, connector.get(), [&] { connections.release(PlatformError::SemTimeout); });
    connector.reset();
    EXPECT_TRUE(connections.released());
    EXPECT_FALSE(reported);
    EXPECT_TRUE(messages.texts().isEmpty());
}


} // namespace
} // namespace tarvo
