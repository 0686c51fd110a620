// Session lines: parsing and formatting, their kind and a session's folders.
// (SessionEditsTest finds, removes and adds default sessions and fills the
// session table through the Net page's edits.)
#include "config/NetSession.h"
#include "config/PathHelpers.h"
#include "config/Session.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

NetSession Parsed(const QString& line)
{
    NetSession session;
    ParseNetSession(line, session);
    return session;
}

TEST(NetSessionTest, ParsesAndFormatsALineAndItsFoldersEndWithASeparator)
{
    const QString line = "Net,Put,\\\\pc\\docs,WG,\\My Documents,\\,Move,\\Sent,guest,pass,word";
    EXPECT_EQ(FormatNetSession(Parsed(line)), line);
    EXPECT_EQ(FormatNetSession(Parsed("net,get,\\\\pc\\docs\\sub,,,,Delete,,,")),
              "Net,Get,\\\\pc\\docs\\sub,,,,Del,,,");
    // A short line reads its missing fields as empty.
    EXPECT_EQ(Parsed("Net,Get,\\\\pc\\docs,DOMAIN,\\Local").LocalFolder, "\\Local");

    EXPECT_EQ(SessionKind("Ftp"), SessionType::Net);

    // A folder outside a Get session's share is not its folder.
    const QString get = "Net,Get,\\\\pc\\docs,WG,\\My Documents,\\In,None,,u,p";
    QString changed = get;
    SetSessionFolder(changed, "\\\\other\\share\\x");
    EXPECT_EQ(changed, get);

    // Source, target and post folder, each ending with a separator.
    const auto Folders = [](const QString& name, const QString& line) {
        const Session session = Session::FromLine(name, line);
        return SessionSourceFolder(session) + '|' + SessionTargetFolder(session) + '|' +
               SessionPostFolder(session);
    };
    EXPECT_EQ(Folders("S", "Net,Put,\\\\pc\\docs,W,\\Local,Reports,Move,\\Sent,u,p"),
              "\\Local\\|\\\\pc\\docs\\Reports\\|\\Sent\\");
    EXPECT_EQ(Folders("S", "Net,Get,\\\\pc\\docs,W,\\Local,\\Reports,Copy,,u,p"),
              "\\\\pc\\docs\\Reports\\|\\Local\\|\\");
    EXPECT_EQ(Folders("S", "Net,Put,\\\\pc\\,W,\\Local,Reports,None,,u,p"),
              "\\Local\\|\\\\pc\\\\Reports\\|\\");
    // Without a direction or a name: \My Documents.
    EXPECT_EQ(Folders("S", "Net,None,\\\\pc\\docs,W,\\Local,\\,None,\\P,u,p"),
              "\\My Documents\\|\\My Documents\\|\\P\\");
    EXPECT_EQ(Folders("", "Net,Put,\\\\pc\\docs,W,\\Local,\\,None,\\P,u,p"),
              "\\My Documents\\|\\My Documents\\|\\");

    EXPECT_EQ(SplitEntry("Office,\\Docs\\a,b.txt").path, "\\Docs\\a,b.txt");
    EXPECT_EQ(AddTrailingSeparator(""), "\\");
}

} // namespace
} // namespace tarvo
