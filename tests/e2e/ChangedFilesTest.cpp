#include "tests/e2e/FaultRunFixture.h"

#include <gtest/gtest.h>
#include <QProcess>
#include <sys/stat.h>

namespace tarvo::test {
namespace {

const char* const Gone = "The file does not exist (any more).";
const char* const Denied = "Access is denied.";
const char* const NoFolder = "The folder does not exist.";

// Files that changed between the list and the Send: a source that vanished,
// became a folder or a named pipe; a target folder that is gone; a target
// that is read-only or a folder. Each file gets one message and loses
// nothing, the source stays (Del does not act on it), and the run goes on.
class ChangedFilesTest : public FaultRunFixture
{
protected:
    static bool makeImmutable(const QString& path, bool on)
    {
        return QProcess::execute(QStringLiteral("chattr"),
                                 {on ? QStringLiteral("+i") : QStringLiteral("-i"), path}) == 0;
    }
};

TEST_F(ChangedFilesTest, PutOfChangedFilesFailsOneByOne)
{
    writeDevice(QStringLiteral("\\Docs\\ok.txt"), "ok");
    writeDevice(QStringLiteral("\\Docs\\ro.txt"), "new");
    writeDevice(QStringLiteral("\\Docs\\dir.txt"), "new");
    writeDevice(QStringLiteral("\\Other\\a.txt"), "a");
    QDir().mkpath(native(QStringLiteral("\\Docs\\folder.txt")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(native(QStringLiteral("\\Docs\\pipe.txt"))), 0644), 0);
    // On the share: a target that is read-only (DOS attribute) and one that is a folder.
    writeShare(QStringLiteral("out/ro.txt"), "old");
    ASSERT_TRUE(makeShareFileReadOnly(QStringLiteral("out/ro.txt")));
    makeShareFolder(QStringLiteral("out/dir.txt"));
    addSession(QStringLiteral("Office"), line(QStringLiteral("Put"), QStringLiteral("\\Docs"),
                                              QStringLiteral("\\out"), QStringLiteral("Del")));
    addSession(QStringLiteral("Missing"), line(QStringLiteral("Put"), QStringLiteral("\\Other"),
                                               QStringLiteral("\\no such folder")));
    const QStringList names = {"gone.txt", "folder.txt", "pipe.txt", "ro.txt", "dir.txt", "ok.txt"};
    for (const QString& name : names)
        params.entries.append(entry(QStringLiteral("Office"), QStringLiteral("\\Docs\\") + name));
    params.entries.append(entry(QStringLiteral("Missing"), QStringLiteral("\\Other\\a.txt")));

    EXPECT_EQ(runWhile([](QThread&) {}), 1);
    EXPECT_LT(runMilliseconds, 20000); // the pipe is not waited for

    const char* const reasons[] = {Gone, Denied, Denied, Denied, Denied};
    QStringList expected;
    for (qsizetype i = 0; i < names.size() - 1; ++i)
        expected.append(copyFailed(QStringLiteral("\\Docs\\") + names[i],
                                   sharePath("out/" + names[i]), reasons[i]));
    expected.append(QStringLiteral("Delete file \\Docs\\ok.txt ?"));
    expected.append(copyFailed(QStringLiteral("\\Other\\a.txt"),
                               sharePath(QStringLiteral("no such folder/a.txt")), NoFolder));
    EXPECT_EQ(messages.texts(), expected);
    EXPECT_EQ(watcher.events().last(), QStringLiteral("1 of 7 files are transferred successfully"));
    EXPECT_EQ(readShare(QStringLiteral("out/ro.txt")), "old");
    EXPECT_TRUE(QFileInfo(onShare(QStringLiteral("out/dir.txt"))).isDir());
    EXPECT_EQ(readShare(QStringLiteral("out/ok.txt")), "ok");
    EXPECT_EQ(shareNames(QStringLiteral("out")), QStringList({"ok.txt", "ro.txt"}));
    EXPECT_EQ(readDevice(QStringLiteral("\\Docs\\ro.txt")), "new");
    EXPECT_EQ(readDevice(QStringLiteral("\\Docs\\dir.txt")), "new");
    EXPECT_FALSE(deviceHas(QStringLiteral("\\Docs\\ok.txt")));
    EXPECT_EQ(readDevice(QStringLiteral("\\Other\\a.txt")), "a");
    EXPECT_TRUE(PartFiles(native(QStringLiteral("\\Docs"))).isEmpty());
}

TEST_F(ChangedFilesTest, GetOfChangedFilesFailsOneByOne)
{
    writeShare(QStringLiteral("in/ok.txt"), "ok");
    writeShare(QStringLiteral("in/ro.txt"), "new");
    writeShare(QStringLiteral("in/dir.txt"), "new");
    writeShare(QStringLiteral("in/fixed.txt"), "new");
    writeShare(QStringLiteral("other/a.txt"), "a");
    makeShareFolder(QStringLiteral("in/folder.txt"));
    // Locally: a read-only target (root ignores the mode, the program does
    // not), one that the file system refuses to change, and a folder.
    writeDevice(QStringLiteral("\\Inbox\\ro.txt"), "old");
    ASSERT_TRUE(
        QFile::setPermissions(native(QStringLiteral("\\Inbox\\ro.txt")), QFileDevice::ReadOwner));
    writeDevice(QStringLiteral("\\Inbox\\fixed.txt"), "old");
    const QString fixed = native(QStringLiteral("\\Inbox\\fixed.txt"));
    // tmpfs and some other file systems have no immutable flag: that sub-case
    // is left out there.
    const bool immutable = makeImmutable(fixed, true);
    QDir().mkpath(native(QStringLiteral("\\Inbox\\dir.txt")));
    addSession(QStringLiteral("Fetch"), line(QStringLiteral("Get"), QStringLiteral("\\Inbox"),
                                             QStringLiteral("\\in"), QStringLiteral("Del")));
    addSession(QStringLiteral("Missing"), line(QStringLiteral("Get"), QStringLiteral("\\No Inbox"),
                                               QStringLiteral("\\other")));
    QStringList names = {"gone.txt", "folder.txt", "ro.txt", "dir.txt", "fixed.txt", "ok.txt"};
    if (!immutable)
        names.removeAll(QStringLiteral("fixed.txt"));
    for (const QString& name : names)
        params.entries.append(entry(QStringLiteral("Fetch"), sharePath("in/" + name)));
    params.entries.append(
        entry(QStringLiteral("Missing"), sharePath(QStringLiteral("other/a.txt"))));

    const int succeeded = runWhile([](QThread&) {});
    if (immutable)
        makeImmutable(fixed, false);
    EXPECT_EQ(succeeded, 1);

    QStringList expected;
    for (const QString& name : names.first(names.size() - 1))
        expected.append(copyFailed(sharePath("in/" + name), QStringLiteral("\\Inbox\\") + name,
                                   name == u"gone.txt" ? Gone : Denied));
    expected.append(QStringLiteral("Delete file %1 ?").arg(sharePath(QStringLiteral("in/ok.txt"))));
    expected.append(copyFailed(sharePath(QStringLiteral("other/a.txt")),
                               QStringLiteral("\\No Inbox\\a.txt"), NoFolder));
    EXPECT_EQ(messages.texts(), expected);
    EXPECT_EQ(watcher.events().last(),
              QStringLiteral("1 of %1 files are transferred successfully").arg(names.size() + 1));
    EXPECT_EQ(readDevice(QStringLiteral("\\Inbox\\ro.txt")), "old");
    EXPECT_EQ(readDevice(QStringLiteral("\\Inbox\\fixed.txt")), "old");
    EXPECT_TRUE(QFileInfo(native(QStringLiteral("\\Inbox\\dir.txt"))).isDir());
    EXPECT_EQ(readDevice(QStringLiteral("\\Inbox\\ok.txt")), "ok");
    EXPECT_EQ(QDir(native(QStringLiteral("\\Inbox"))).entryList(QDir::Files | QDir::Hidden),
              QStringList({"fixed.txt", "ok.txt", "ro.txt"}));
    EXPECT_EQ(shareNames(QStringLiteral("in")), QStringList({"dir.txt", "fixed.txt", "ro.txt"}));
    EXPECT_TRUE(QFileInfo(onShare(QStringLiteral("in/folder.txt"))).isDir());
    EXPECT_EQ(shareNames(QStringLiteral("other")), QStringList({"a.txt"}));
    EXPECT_FALSE(deviceHas(QStringLiteral("\\No Inbox")));
}

} // namespace
} // namespace tarvo::test
