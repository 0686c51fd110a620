// The rules of two dialogs. The "Map Network Drive" form: what it refuses,
// naming the field, and that what it accepts reads back from its session
// line; the ways a share may be written; what its Test says it found. The folder browser: the path
// of an item and which folders show. The window tests cover commas, an empty name and names alike
// but for case, and open the tree itself, on the device and on a share.
#include "config/NetSession.h"
#include "core/browse/BrowseRoot.h"
#include "core/browse/FolderReader.h"
#include "core/forms/SessionForm.h"
#include "core/forms/ShareText.h"
#include "core/shares/ShareProbe.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(DialogRulesTest, TheFormRefusesWhatWouldNotReadBackAndTheBrowserShowsFoldersInside)
{
    SessionForm form{"Office", "CORP", "\\a;b=c", ",a,b;[=", "\\\\fs1\\team",
                     "\\",     "kim",  "Copy",    "\\Sent",  "Get"};
    ASSERT_FALSE(CheckSessionForm(form));
    NetSession session;
    session.Name = form.sessionName;
    ParseNetSession(EncodeSessionLine(form), session);
    EXPECT_EQ(SessionFormFrom(session), form);

    const auto problem = [&](QString SessionForm::*field, const QString& value) {
        SessionForm changed = form;
        changed.*field = value;
        const auto found = CheckSessionForm(changed);
        return found ? found->message : QString();
    };
    const auto name = &SessionForm::sessionName;
    EXPECT_EQ(QStringList({problem(name, " a"), problem(name, "a=b"), problem(name, "[Setting"),
                           problem(&SessionForm::password, "pass\r")}),
              QStringList({"Session may not begin or end with a blank.",
                           "Session may not contain \"=\".", "Session may not begin with \"[\".",
                           "Password may not contain a line break."}));
    // The topmost field is named first.
    form.op = "P,ut";
    form.share = "\\\\a,b\\c";
    EXPECT_EQ(CheckSessionForm(form)->field, SessionField::Share);

    // The folder browser: an item's path, and which folders show.
    EXPECT_EQ(FolderItemPath({"pocket pc", "x"}), "pocket pc\\x"); // only the exact device text

    // Only folders whose names stay inside show.
    const auto shown = [](const QString& name, quint32 attributes = FileAttribute::Directory) {
        return FolderReader::isShownFolder(DirEntry{name, FileInfo{attributes}});
    };
    EXPECT_TRUE(shown(".hidden", FileAttribute::Directory | FileAttribute::Hidden));
    for (const QString name : {".", "..", "a\\..\\..", "a/b", ""})
        EXPECT_FALSE(shown(name)) << name.toStdString();
}

// Each way of writing a share, and the line's form it is stored in.
TEST(ShareTextTest, ReadsTheUsualFormsAndStoresTheLinesOwn)
{
    const auto read = [](const QString& typed, const QString& stored, const QString& problem) {
        const ParsedShare share = ParseShareText(typed);
        EXPECT_EQ(share.text, stored) << typed.toStdString();
        EXPECT_EQ(share.problem, problem) << typed.toStdString();
    };
    for (const QString typed : {"\\\\fs\\docs", "//fs/docs", "smb://fs/docs", "SMB://fs/docs/",
                                "\\\\fs\\docs\\", "\\\\fs/docs"})
        read(typed, "\\\\fs\\docs", "");
    read("\\\\127.0.0.1:4450\\docs", "\\\\127.0.0.1:4450\\docs", "");
    read("//fs:445/docs", "\\\\fs:445\\docs", "");
    read("smb://fs:0139/docs/", "\\\\fs:139\\docs", "");
    read("  //fs/my docs ", "\\\\fs\\my docs", "");

    const QString example = "Share must name a server and a share, such as \\\\fileserver\\docs "
                            "or smb://fileserver/docs.";
    for (const QString typed :
         {"", "127.0.0.1/docs", "fs\\docs", "\\fs\\docs", "\\\\fs", "\\\\fs\\", "\\\\\\docs",
          "//fs/docs/in", "smb://fs//docs", "ftp://fs/docs", "\\\\:445\\docs"})
        read(typed, "", example);
    for (const QString typed :
         {"\\\\fs:\\docs", "\\\\fs:0\\docs", "//fs:65536/docs", "//fs:44a/docs", "//fs:445:1/docs"})
        read(typed, "",
             "The port after the server must be a number from 1 to 65535, such as "
             "\\\\fileserver:445\\docs.");

    // The form refuses such a share under the Share field; the stored form
    // reads back into server and share.
    SessionForm form = SessionFormForAdd();
    form.sessionName = "Office";
    form.share = "127.0.0.1/docs";
    EXPECT_EQ(CheckSessionForm(form)->field, SessionField::Share);
    form.share = "smb://fs:4450/docs/";
    EXPECT_FALSE(CheckSessionForm(form));
    EXPECT_EQ(WithStoredShare(form).share, "\\\\fs:4450\\docs");
    EXPECT_EQ(NetSessionOf(form).Server + ' ' + NetSessionOf(form).Share, "fs:4450 docs");
}

// Test logs on under a connection name of its own, counts what the PC
// folder holds and signs off; a failure names the reason. (The window tests
// count a folder of the real server's, and its refused logon.)
TEST(ShareProbeTest, CountsThePcFolderOrTellsWhyNot)
{
    test::MemoryFileSystem files;
    files.addFolder("\\\\pc\\docs\\in");
    files.addFile("\\\\pc\\docs\\top.txt", "t");
    NetSession session;
    ParseNetSession("Net,Get,\\\\pc\\docs,WG,\\In,,None,,ann,pw", session);

    EXPECT_EQ(ProbeShareFolder(session, files, files),
              "Logged on to \\\\pc\\docs; \\ holds 1 file and 1 folder.");
    EXPECT_EQ(files.journal().filter("connect").size(), 2) << "connected, then signed off";
    session.PcFolder = "\\gone";
    EXPECT_EQ(ProbeShareFolder(session, files, files),
              "Logged on to \\\\pc\\docs, but \\gone cannot be listed: The folder does not exist.");
    files.refuseConnection("\\\\pc\\docs", PlatformError::LogonFailure);
    EXPECT_EQ(ProbeShareFolder(session, files, files),
              "Could not log on to \\\\pc\\docs: Wrong user name or password.");
}

} // namespace
} // namespace tarvo
