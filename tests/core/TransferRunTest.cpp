#include "tests/support/RunFixture.h"

#include <gtest/gtest.h>
#include <QDir>

namespace tarvo::test {
namespace {

using TransferRunTest = RunFixture;

QString entry(const QString& session, const QString& devicePath)
{
    return session + u',' + devicePath;
}

TEST_F(TransferRunTest, ThreeFilesMoveTheBarInSteps)
{
    makeShareFolder(QStringLiteral("out"));
    addSession(QStringLiteral("Office"),
               line(QStringLiteral("Put"), QStringLiteral("\\Docs"), QStringLiteral("\\out")));
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
        writeDevice(QStringLiteral("\\Docs\\") + QLatin1String(name), name);
        params.entries.append(
            entry(QStringLiteral("Office"), QStringLiteral("\\Docs\\") + QLatin1String(name)));
    }

    EXPECT_EQ(run(), 3);

    EXPECT_EQ(observer.events(),
              QStringList({"session Office", "Transferring file 1 of 3 ...", "bar 0", "bar 33",
                           "Transferring file 2 of 3 ...", "bar 33", "bar 66",
                           "Transferring file 3 of 3 ...", "bar 66", "bar 100",
                           "3 of 3 files are transferred successfully"}));
    EXPECT_EQ(shareNames(QStringLiteral("out")), QStringList({"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(readShare(QStringLiteral("out/b.txt")), "b.txt");
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_EQ(messages.waitCursorDepth(), 0);
}

// A long run into one share folder writes its temporary files in a folder of
// their own there; when the session is done, only the sent files are left.
TEST_F(TransferRunTest, ALongRunLeavesOnlyTheSentFilesInTheShareFolder)
{
    makeShareFolder(QStringLiteral("out"));
    addSession(QStringLiteral("Office"),
               line(QStringLiteral("Put"), QStringLiteral("\\Docs"), QStringLiteral("\\out")));
    QStringList names;
    for (int i = 0; i < 40; ++i) {
        const QString name = QStringLiteral("f%1.txt").arg(i, 2, 10, QChar(u'0'));
        writeDevice(QStringLiteral("\\Docs\\") + name, name.toUtf8());
        params.entries.append(entry(QStringLiteral("Office"), QStringLiteral("\\Docs\\") + name));
        names.append(name);
    }

    EXPECT_EQ(run(), 40);

    EXPECT_EQ(shareNames(QStringLiteral("out")), names);
    EXPECT_EQ(readShare(QStringLiteral("out/f39.txt")), "f39.txt");
    EXPECT_EQ(QDir(samba().shareFolder() + QStringLiteral("/out"))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              names);
}

TEST_F(TransferRunTest, ShowsEachFilesTexts)
{
    makeShareFolder(QStringLiteral("out"));
    addSession(QStringLiteral("Office"),
               line(QStringLiteral("Put"), QStringLiteral("\\Docs"), QStringLiteral("out")));
    writeDevice(QStringLiteral("\\Docs\\big.bin"), QByteArray(1234567, 'x'));
    params.entries.append(entry(QStringLiteral("Office"), QStringLiteral("\\Docs\\big.bin")));

    run();

    ASSERT_EQ(observer.files().size(), 1);
    const ShownFile shown = observer.files().first();
    EXPECT_EQ(shown.fileName, QStringLiteral("big.bin"));
    EXPECT_EQ(shown.sizeText, QStringLiteral("1,234,567 bytes"));
    EXPECT_EQ(shown.sourceFolder, QStringLiteral("\\Docs\\"));
    EXPECT_EQ(shown.targetFolder, sharePath(QStringLiteral("out/")));
    const QDateTime local = stamp().toLocalTime();
    EXPECT_EQ(shown.modifiedText,
              QLocale::system().toString(local.date(), QLocale::ShortFormat) + u' ' +
                  QLocale::system().toString(local.time(), QLocale::ShortFormat));
    EXPECT_EQ(readShare(QStringLiteral("out/big.bin")).size(), 1234567);
}

TEST_F(TransferRunTest, SessionsRunInListOrderAndStrangersCountInTheTotalOnly)
{
    makeShareFolder(QStringLiteral("a"));
    makeShareFolder(QStringLiteral("b"));
    addSession(QStringLiteral("Beta"),
               line(QStringLiteral("Put"), QStringLiteral("\\B"), QStringLiteral("\\b")));
    addSession(QStringLiteral("Alpha"),
               line(QStringLiteral("Put"), QStringLiteral("\\A"), QStringLiteral("\\a")));
    addSession(QStringLiteral("Other"),
               line(QStringLiteral("Put"), QStringLiteral("\\A"), QStringLiteral("\\b")), false);
    writeDevice(QStringLiteral("\\A\\1.txt"), "a1");
    writeDevice(QStringLiteral("\\A\\2.txt"), "a2");
    writeDevice(QStringLiteral("\\B\\3.txt"), "b3");
    // Entries belong to their session by its exact name: "alpha" is no
    // session of the run, as "Other" is not a default one. Beta is listed
    // twice and runs once.
    params.settings.DefaultSession.append(QStringLiteral("Beta"));
    params.entries = {entry(QStringLiteral("alpha"), QStringLiteral("\\A\\1.txt")),
                      entry(QStringLiteral("Beta"), QStringLiteral("\\B\\3.txt")),
                      entry(QStringLiteral("Other"), QStringLiteral("\\A\\2.txt")),
                      entry(QStringLiteral("Alpha"), QStringLiteral("\\A\\2.txt"))};

    EXPECT_EQ(run(), 2);

    const QList<ShownFile> files = observer.files();
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[0].fileName + files[0].progressLine, "3.txtTransferring file 1 of 4 ...");
    EXPECT_EQ(files[1].fileName + files[1].progressLine, "2.txtTransferring file 2 of 4 ...");
    EXPECT_EQ(observer.filtered(QStringLiteral("session")),
              QStringList({"session Beta", "session Alpha"}));
    EXPECT_EQ(observer.events().last(),
              QStringLiteral("2 of 4 files are transferred successfully"));
    EXPECT_EQ(shareNames(QStringLiteral("a")), QStringList({"2.txt"}));
    EXPECT_EQ(shareNames(QStringLiteral("b")), QStringList({"3.txt"}));
}

TEST_F(TransferRunTest, AShareThatRefusesThePasswordSkipsOnlyItsSession)
{
    makeShareFolder(QStringLiteral("out"));
    addSession(QStringLiteral("Locked"),
               line(QStringLiteral("Put"), QStringLiteral("\\Docs"), QStringLiteral("\\out"),
                    QStringLiteral("None"), QString(), QStringLiteral("wrong password")));
    addSession(QStringLiteral("Open"),
               line(QStringLiteral("Put"), QStringLiteral("\\Docs"), QStringLiteral("\\out")));
    writeDevice(QStringLiteral("\\Docs\\a.txt"), "a");
    writeDevice(QStringLiteral("\\Docs\\b.txt"), "b");
    params.entries = {entry(QStringLiteral("Locked"), QStringLiteral("\\Docs\\a.txt")),
                      entry(QStringLiteral("Open"), QStringLiteral("\\Docs\\b.txt"))};

    EXPECT_EQ(run(), 1);

    const QString share = samba().shareText();
    EXPECT_EQ(messages.texts(),
              QStringList({QStringLiteral("Failed to map to network share %1\r\nWrong user name "
                                          "or password.")
                               .arg(share)}));
    EXPECT_EQ(messages.messages().first().icon, MessageIcon::Error);
    ASSERT_EQ(observer.files().size(), 1);
    EXPECT_EQ(observer.files().first().progressLine,
              QStringLiteral("Transferring file 1 of 2 ..."));
    EXPECT_EQ(shareNames(QStringLiteral("out")), QStringList({"b.txt"}));
    EXPECT_EQ(observer.events().last(),
              QStringLiteral("1 of 2 files are transferred successfully"));
}

TEST_F(TransferRunTest, ACopyReplacesItsTargetWithoutAsking)
{
    writeShare(QStringLiteral("out/a.txt"), "old and longer");
    addSession(QStringLiteral("Office"),
               line(QStringLiteral("Put"), QStringLiteral("\\Docs"), QStringLiteral("\\out")));
    writeDevice(QStringLiteral("\\Docs\\a.txt"), "new");
    params.entries = {entry(QStringLiteral("Office"), QStringLiteral("\\Docs\\a.txt"))};

    EXPECT_EQ(run(), 1);
    EXPECT_EQ(readShare(QStringLiteral("out/a.txt")), "new");
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(TransferRunTest, AFailedCopyLeavesTheOldTargetWholeAndNoPartialFile)
{
    writeShare(QStringLiteral("out/a.txt"), "old");
    addSession(QStringLiteral("Office"),
               line(QStringLiteral("Put"), QStringLiteral("\\Docs"), QStringLiteral("\\out")));
    params.entries = {entry(QStringLiteral("Office"), QStringLiteral("\\Docs\\a.txt"))};

    EXPECT_EQ(run(), 0);

    EXPECT_EQ(
        messages.texts(),
        QStringList(
            {QStringLiteral("Failed to copy file %1 to %2\r\nThe folder does not exist.")
                 .arg(QStringLiteral("\\Docs\\a.txt"), sharePath(QStringLiteral("out/a.txt")))}));
    EXPECT_EQ(messages.messages().first().icon, MessageIcon::Error);
    EXPECT_EQ(readShare(QStringLiteral("out/a.txt")), "old");
    EXPECT_EQ(shareNames(QStringLiteral("out")), QStringList({"a.txt"}));
    EXPECT_EQ(observer.events().last(),
              QStringLiteral("0 of 1 files are transferred successfully"));
}

TEST_F(TransferRunTest, FilesComeFromTheShareForAGetSession)
{
    writeShare(QStringLiteral("in/r.txt"), "report");
    addSession(QStringLiteral("Fetch"),
               line(QStringLiteral("Get"), QStringLiteral("\\Inbox"), QStringLiteral("\\in")));
    // The window's listing connects a Get session's share before Send.
    ASSERT_EQ(platform->connections().addConnection(QStringLiteral("Fetch"), samba().shareText(),
                                                    QString::fromLatin1(SambaServer::UserName),
                                                    samba().password(), true),
              0);
    QDir().mkpath(platform->devicePaths().toNative(QStringLiteral("\\Inbox")));
    params.entries = {entry(QStringLiteral("Fetch"), sharePath(QStringLiteral("in/r.txt")))};

    EXPECT_EQ(run(), 1);
    EXPECT_EQ(readDevice(QStringLiteral("\\Inbox\\r.txt")), "report");
    // The run releases every Net session's connection after its files.
    QString remote;
    EXPECT_NE(platform->connections().getConnection(QStringLiteral("Fetch"), remote), 0);
}

TEST_F(TransferRunTest, PutAndGetSessionsOnOneShareBothTransfer)
{
    // Releasing the Put session's connection must not cut off the Get
    // session that reads from the same share after it.
    writeDevice(QStringLiteral("\\Outbox\\o.txt"), "out");
    writeShare(QStringLiteral("in/i.txt"), "in");
    makeShareFolder(QStringLiteral("out"));
    QDir().mkpath(platform->devicePaths().toNative(QStringLiteral("\\Inbox")));
    addSession(QStringLiteral("Send"),
               line(QStringLiteral("Put"), QStringLiteral("\\Outbox"), QStringLiteral("\\out")));
    addSession(QStringLiteral("Fetch"),
               line(QStringLiteral("Get"), QStringLiteral("\\Inbox"), QStringLiteral("\\in")));
    ASSERT_EQ(platform->connections().addConnection(QStringLiteral("Fetch"), samba().shareText(),
                                                    QString::fromLatin1(SambaServer::UserName),
                                                    samba().password(), true),
              0);
    params.entries = {entry(QStringLiteral("Send"), QStringLiteral("\\Outbox\\o.txt")),
                      entry(QStringLiteral("Fetch"), sharePath(QStringLiteral("in/i.txt")))};

    EXPECT_EQ(run(), 2);
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(u'\n').toStdString();
    EXPECT_EQ(readShare(QStringLiteral("out/o.txt")), "out");
    EXPECT_EQ(readDevice(QStringLiteral("\\Inbox\\i.txt")), "in");
}

TEST_F(TransferRunTest, AnUnknownDefaultSessionCopiesIntoMyDocuments)
{
    params.settings.DefaultSession = {QStringLiteral("Nowhere")};
    writeDevice(QStringLiteral("\\Elsewhere\\n.txt"), "n");
    QDir().mkpath(platform->devicePaths().toNative(QStringLiteral("\\My Documents")));
    params.entries = {entry(QStringLiteral("Nowhere"), QStringLiteral("\\Elsewhere\\n.txt"))};

    EXPECT_EQ(run(), 1);
    EXPECT_EQ(readDevice(QStringLiteral("\\My Documents\\n.txt")), "n");
}

} // namespace
} // namespace tarvo::test
