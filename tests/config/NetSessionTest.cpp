// Session lines: parsing, formatting, kinds and directions, folder changes
// and the default-session list.
#include "config/NetSession.h"

#include "config/SessionTable.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace {

const QString OfficeLine =
    "Net,Put,\\\\pc\\docs,WORKGROUP,\\My Documents,\\,Move,\\Sent,guest,pass,word";

NetSession parsed(const QString& line)
{
    NetSession session;
    ParseNetSession(line, session);
    return session;
}

} // namespace

TEST(NetSessionTest, ParseAndFormatRoundTrip)
{
    const NetSession session = parsed(OfficeLine);
    EXPECT_EQ(session.Server, "pc");
    EXPECT_EQ(session.Share, "docs");
    EXPECT_EQ(session.Domain, "WORKGROUP");
    EXPECT_EQ(session.LocalFolder, "\\My Documents");
    EXPECT_EQ(session.PcFolder, "\\");
    EXPECT_EQ(session.Direction, DirectionPut);
    EXPECT_EQ(session.PostOp, PostMove);
    EXPECT_EQ(session.PostFolder, "\\Sent");
    EXPECT_EQ(session.UserName, "guest");
    EXPECT_EQ(session.Password, "pass,word");
    EXPECT_TRUE(session.Name.isEmpty());
    EXPECT_EQ(FormatNetSession(session), OfficeLine);
}

TEST(NetSessionTest, NamesAndCodes)
{
    EXPECT_EQ(parsed("net,get,\\\\a\\b,,,,,,,").Direction, DirectionGet);
    EXPECT_EQ(parsed("Net,Send,\\\\a\\b,,,,,,,").Direction, DirectionNone);
    EXPECT_EQ(parsed("Net,Put,\\\\a\\b,,,,Delete,,,").PostOp, PostDel);
    EXPECT_EQ(FormatNetSession(parsed("Net,Put,\\\\a\\b,,,,Delete,,,")),
              "Net,Put,\\\\a\\b,,,,Del,,,");
    EXPECT_EQ(FormatNetSession(parsed("Net,sideways,\\\\a\\b,,,,Shred,,,")),
              "Net,None,\\\\a\\b,,,,None,,,");
    const NetSession nested = parsed("Net,Put,\\\\pc\\docs\\sub,,,,,,,");
    EXPECT_EQ(nested.Server, "pc\\docs");
    EXPECT_EQ(nested.Share, "sub");
    EXPECT_EQ(parsed("Net,Put,docs,,,,,,,").Share, "docs");
    EXPECT_EQ(parsed("Net,Put,docs,,,,,,,").Server, "");
}

TEST(NetSessionTest, KindAndDirectionOfAnyLine)
{
    struct Row
    {
        const char* line;
        int kind;
        int direction;
    };
    const Row rows[] = {
        {"Net,Put,x", KindNet, DirectionPut},  {"FTP,Get,host", KindFtp, DirectionGet},
        {"Ftp", KindNet, DirectionNone},       {"", KindNet, DirectionNone},
        {"Smb,Put,x", KindNet, DirectionPut},  {"Net,Get", KindNet, DirectionNone},
        {"no commas", KindNet, DirectionNone},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SessionKind(row.line), row.kind) << row.line;
        EXPECT_EQ(SessionDirection(row.line), row.direction) << row.line;
    }
}

TEST(NetSessionTest, OtherLinesLeaveTheRecordAlone)
{
    for (const char* line : {"Ftp,Put,host,21", "no commas", "", "Smb,Put,\\\\a\\b"}) {
        NetSession session;
        SetNetSessionDefaults(session);
        ParseNetSession(line, session);
        EXPECT_EQ(session.Domain, "WORKGROUP") << line;
        EXPECT_EQ(session.UserName, "Administrator") << line;
    }
}

TEST(NetSessionTest, ShortLinesReadMissingFieldsAsEmpty)
{
    NetSession session;
    SetNetSessionDefaults(session);
    ParseNetSession("Net,Get,\\\\pc\\docs,DOMAIN,\\Local", session);
    EXPECT_EQ(session.Direction, DirectionGet);
    EXPECT_EQ(session.Server, "pc");
    EXPECT_EQ(session.Domain, "DOMAIN");
    EXPECT_EQ(session.LocalFolder, "\\Local");
    EXPECT_EQ(session.PcFolder, "");
    EXPECT_EQ(session.UserName, "");
    EXPECT_EQ(session.Password, "");
}

TEST(NetSessionTest, NextFieldWalksALine)
{
    int position = 0;
    EXPECT_EQ(NextField("a,b,c", u',', position), "a");
    EXPECT_EQ(position, 2);
    EXPECT_EQ(NextField("a,b,c", u',', position), "b");
    EXPECT_EQ(NextField("a,b,c", u',', position), "");
    EXPECT_EQ(position, -1);
}

TEST(NetSessionTest, SetSessionFolder)
{
    QString get = "Net,Get,\\\\pc\\docs,W,\\My Documents,\\,None,,u,p";
    SetSessionFolder(get, "\\\\pc\\docs\\Reports");
    EXPECT_EQ(parsed(get).PcFolder, "\\Reports");

    // A folder outside the session's share leaves the line as it was.
    const QString before = get;
    SetSessionFolder(get, "\\\\other\\share\\x");
    EXPECT_EQ(get, before);

    QString put = "Net,Put,\\\\pc\\docs,W,\\My Documents,\\,None,,u,p";
    SetSessionFolder(put, "\\Data\\Out");
    EXPECT_EQ(put, "Net,Put,\\\\pc\\docs,W,\\Data\\Out,\\,None,,u,p");

    QString none = "net,none,\\\\pc\\docs,W,\\A,\\B,delete,,u,p";
    SetSessionFolder(none, "\\ignored");
    EXPECT_EQ(none, "Net,None,\\\\pc\\docs,W,\\A,\\B,Del,,u,p");

    QString ftp = "Ftp,Put,host";
    SetSessionFolder(ftp, "\\x");
    EXPECT_EQ(ftp, "Ftp,Put,host");
}

TEST(DefaultSessionListTest, CaseRulesDiffer)
{
    EXPECT_EQ(FirstDefaultSession({}), "");
    EXPECT_EQ(FirstDefaultSession({"", "b"}), "");

    QStringList list{"Office", "Home"};
    EXPECT_EQ(FindDefaultSession(list, "office"), 0);
    EXPECT_EQ(FindDefaultSession(list, "Lab"), -1);
    EXPECT_EQ(RemoveDefaultSession(list, "home"), -1); // exact only
    EXPECT_EQ(list.size(), 2);
    EXPECT_EQ(AddDefaultSession(list, "Home"), 1);
    EXPECT_EQ(AddDefaultSession(list, "home"), 2);
    EXPECT_EQ(RemoveDefaultSession(list, "Home"), 1);
    EXPECT_EQ(list, (QStringList{"Office", "home"}));
}

TEST(SessionTableTest, LookupAddsAndOrderIsKept)
{
    SessionTable table;
    table.insert("b", "1");
    table.insert("a", "2");
    EXPECT_EQ(table["missing"], "");
    EXPECT_TRUE(table.contains("missing"));
    table.insert("b", "3");
    EXPECT_EQ(table.names(), (QStringList{"b", "a", "missing"}));
    EXPECT_FALSE(table.contains("B")); // names are exact
    EXPECT_TRUE(table.remove("a"));
    EXPECT_FALSE(table.remove("a"));
    table.insert("a", "4");
    EXPECT_EQ(table.names(), (QStringList{"b", "missing", "a"}));
}
