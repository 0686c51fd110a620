// Names that try to lead the program out of a session's folders: from a share
// layer that sends whatever a hostile server might, and from the real Samba
// server with files whose names Windows would never allow.
#include "config/NetSession.h"
#include "core/filelist/FileListBuilder.h"
#include "core/filelist/FileTypeIcons.h"
#include "core/transfer/SendRequest.h"
#include "tests/e2e/CraftedShare.h"
#include "tests/support/RunFixture.h"
#include "tests/support/ScriptedMessageService.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>
#include <QDirIterator>

namespace tarvo::test {
namespace {

// Every file under a folder, by path relative to it, with its bytes.
QMap<QString, QByteArray> filesUnder(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(folder).relativeFilePath(path), TempFolder::read(path));
    }
    return files;
}

// The names a hostile share sends; only the last two name a file of the folder.
QStringList craftedNames()
{
    return {QStringLiteral(".."),
            QStringLiteral("."),
            QStringLiteral("../x"),
            QStringLiteral("../../x"),
            QStringLiteral("a/b"),
            QStringLiteral("a\\b"),
            QStringLiteral("..\\..\\x"),
            QStringLiteral("C:\\x"),
            QStringLiteral("\\\\other\\share\\x"),
            QString(),
            QString(300, u'L'),
            QStringLiteral("cut") + QChar(0) + QStringLiteral("/../x"),
            QStringLiteral("good.txt"),
            QStringLiteral("C:x")};
}
const QStringList PlainNames{QStringLiteral("C:x"), QStringLiteral("good.txt")};

// The crafted names that a transfer entry ("session,folder\name") can carry:
// a "\" in a name there only reads as a deeper folder.
QStringList entryNames()
{
    QStringList names;
    for (const QString& name : craftedNames()) {
        if (!name.contains(u'\\') || name.contains(QStringLiteral("..")))
            names.append(name);
    }
    return names;
}

// A path that is one plain name directly inside folder.
bool directlyIn(const QString& path, const QString& folder)
{
    if (!path.startsWith(folder))
        return false;
    const QString name = path.mid(folder.size());
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') &&
           !name.contains(u'\\') && !name.contains(QChar(0));
}

class CraftedNamesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Files around the session's folders, which nothing may touch.
        device.write(QStringLiteral("x"), "root x");
        device.write(QStringLiteral("In/x"), "in x");
        device.write(QStringLiteral("In/Target/old.txt"), "old");
        device.write(QStringLiteral("Out/good.txt"), "good");
        device.write(QStringLiteral("Outside/keep.txt"), "keep");
        crafted.share.listed = craftedNames();
    }

    // A session between \In\Target on the device and \\fake\share\in.
    QString line(const QString& direction, const QString& postOp,
                 const QString& local = QStringLiteral("\\In\\Target")) const
    {
        return QStringLiteral("Net,%1,\\\\fake\\share,WG,%2,\\in,%3,\\Outside,u,pw")
            .arg(direction, local, postOp);
    }

    FileRows refresh(const QString& sessionLine)
    {
        Settings settings;
        settings.Filter = QStringLiteral("*");
        settings.ShowAttributes = 0xFF;
        settings.Sessions.insert(QStringLiteral("S"), sessionLine);
        settings.DefaultSession = {QStringLiteral("S")};
        return BuildFileList(settings, {crafted.files, crafted.connections, messages, icons});
    }

    // Sends one entry per crafted name, as if a listing had let them through.
    int send(const QString& sessionLine, const QString& sourceFolder)
    {
        FileRows rows;
        for (const QString& name : entryNames())
            rows.append(FileRow{name, {}, {}, sourceFolder, QStringLiteral("S"), 0});
        TransferParams params;
        params.settings.DefaultChoice = ReplaceYesToAll;
        params.settings.Sessions.insert(QStringLiteral("S"), sessionLine);
        params.settings.DefaultSession = {QStringLiteral("S")};
        params.entries = BuildTransferList(rows);
        RecordingObserver observer;
        TransferRun run(params, {crafted.files, crafted.connections, messages, observer});
        return run.RunTransfer();
    }

    QStringList refusals() const
    {
        return messages.texts().filter(QStringLiteral("cannot be used for a file"));
    }

    TempFolder device;
    CraftedPlatform crafted{device.path()};
    ScriptedMessageService messages;
    FileTypeIcons icons;
};

TEST_F(CraftedNamesTest, TheListShowsOnlyNamesOfTheFolder)
{
    QStringList names;
    for (const FileRow& row : refresh(line(QStringLiteral("Get"), QStringLiteral("None"))))
        names.append(row.name);
    EXPECT_EQ(names, PlainNames);
}

TEST_F(CraftedNamesTest, GetWritesAndDeletesOnlyInsideItsFolders)
{
    const auto before = filesUnder(device.path());
    for (const QString& postOp : {QStringLiteral("None"), QStringLiteral("Del")}) {
        SCOPED_TRACE(postOp.toStdString());
        messages.clear();
        const int copied =
            send(line(QStringLiteral("Get"), postOp), QStringLiteral("\\\\fake\\share\\in\\"));
        EXPECT_EQ(copied, 2);
        EXPECT_EQ(refusals().size(), entryNames().size() - 2)
            << messages.texts().join('\n').toStdString();

        // The device changed in the target folder only, by the two plain names.
        auto after = filesUnder(device.path());
        for (const QString& name : PlainNames) {
            EXPECT_EQ(after.take(QStringLiteral("In/Target/") + name),
                      CraftedShare::bytesOf(QStringLiteral("\\\\fake\\share\\in\\") + name));
        }
        EXPECT_EQ(after, before);
        // Del removed only the two sources that were copied.
        for (const QString& deleted : crafted.share.deletes())
            EXPECT_TRUE(directlyIn(deleted, QStringLiteral("\\\\fake\\share\\in\\")))
                << deleted.toStdString();
    }
    EXPECT_EQ(crafted.share.deletes().size(), 2);
}

TEST_F(CraftedNamesTest, SyncPrunesAndCopiesOnlyInsideItsFolders)
{
    // Put with Sync: the share's listing of the target folder is the crafted one.
    RecordingObserver observer;
    TransferParams params;
    params.settings.DefaultChoice = ReplaceYesToAll;
    params.settings.Sessions.insert(
        QStringLiteral("S"),
        line(QStringLiteral("Put"), QStringLiteral("Sync"), QStringLiteral("\\Out")));
    params.settings.DefaultSession = {QStringLiteral("S")};
    params.entries = {QStringLiteral("S,\\Out\\good.txt")};
    crafted.share.listed.append(QStringLiteral("stale.txt"));
    TransferRun run(params, {crafted.files, crafted.connections, messages, observer});
    EXPECT_EQ(run.RunTransfer(), 1);
    // The one file that the session does not carry goes; the crafted names
    // are never taken for files of the folder.
    EXPECT_EQ(crafted.share.deletes(),
              QStringList({QStringLiteral("\\\\fake\\share\\in\\C:x"),
                           QStringLiteral("\\\\fake\\share\\in\\stale.txt")}));
    EXPECT_EQ(crafted.share.writes(), QStringList{QStringLiteral("\\\\fake\\share\\in\\good.txt")});

    // Get with Sync into the device: crafted entries are refused, the device
    // changes inside the target folder only.
    const auto before = filesUnder(device.path());
    messages.clear();
    EXPECT_EQ(send(line(QStringLiteral("Get"), QStringLiteral("Sync")),
                   QStringLiteral("\\\\fake\\share\\in\\")),
              2);
    EXPECT_EQ(refusals().size(), entryNames().size() - 2);
    auto after = filesUnder(device.path());
    for (const QString& name : PlainNames)
        EXPECT_TRUE(after.contains(QStringLiteral("In/Target/") + name));
    for (auto it = after.begin(); it != after.end();) {
        it = it.key().startsWith(QStringLiteral("In/Target/")) ? after.erase(it) : std::next(it);
    }
    auto outside = before;
    outside.remove(QStringLiteral("In/Target/old.txt")); // pruned: not carried
    EXPECT_EQ(after, outside);
    EXPECT_FALSE(QFile::exists(device.filePath(QStringLiteral("In/Target/old.txt"))));
}

// Files whose names Windows forbids, made on the server's side: what the
// server sends for them must neither escape nor break the list and a Get.
class ServerNamesTest : public RunFixture
{};

TEST_F(ServerNamesTest, ForbiddenNamesOnTheServerStayInTheTargetFolder)
{
    const QStringList onServer{QStringLiteral("back\\slash.txt"),
                               QStringLiteral("..\\up.txt"),
                               QStringLiteral("co:lon.txt"),
                               QStringLiteral("star*.txt"),
                               QStringLiteral("ask?.txt"),
                               QStringLiteral("pipe|.txt"),
                               QStringLiteral("quote\".txt"),
                               QStringLiteral("less<more>.txt"),
                               QStringLiteral("..."),
                               QStringLiteral("trailing."),
                               QStringLiteral("trailing "),
                               QStringLiteral("plain.txt")};
    QSet<QByteArray> contents;
    for (const QString& name : onServer) {
        writeShare(QStringLiteral("in/") + name, name.toUtf8());
        contents.insert(name.toUtf8());
    }
    writeDevice(QStringLiteral("\\keep.txt"), "keep");
    QDir().mkpath(platform->devicePaths().toNative(QStringLiteral("\\In")));
    addSession(QStringLiteral("S"),
               line(QStringLiteral("Get"), QStringLiteral("\\In"), QStringLiteral("\\in")));
    params.settings.Filter = QStringLiteral("*");
    params.settings.ShowAttributes = 0xFF;
    FileTypeIcons icons;
    const FileRows rows = BuildFileList(
        params.settings, {platform->files(), platform->connections(), messages, icons});
    ASSERT_FALSE(rows.isEmpty()) << messages.texts().join('\n').toStdString();
    for (const FileRow& row : rows) {
        EXPECT_FALSE(row.name.contains(u'\\') || row.name.contains(u'/') || row.name == u"..")
            << row.name.toStdString();
    }

    params.entries = BuildTransferList(rows);
    run();
    // Every file that arrived is one of the server's files, directly in the
    // target folder; nothing else on the device changed.
    const QString root = platform->devicePaths().root();
    const auto device = filesUnder(root);
    int arrived = 0;
    for (auto it = device.cbegin(); it != device.cend(); ++it) {
        if (it.key() == u"keep.txt") {
            EXPECT_EQ(it.value(), "keep");
            continue;
        }
        EXPECT_TRUE(it.key().startsWith(QStringLiteral("In/")) && !it.key().mid(3).contains(u'/'))
            << it.key().toStdString();
        EXPECT_TRUE(contents.contains(it.value())) << it.key().toStdString();
        ++arrived;
    }
    EXPECT_GE(arrived, 1);
    EXPECT_EQ(device.value(QStringLiteral("In/plain.txt")), "plain.txt");
}

} // namespace
} // namespace tarvo::test
