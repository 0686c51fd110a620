// Session lines: parsing, formatting, kinds and directions, folder changes,
// the default-session list and the session table.
#include "config/NetSession.h"

#include "config/SessionTable.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace {

NetSession Parsed(const QString& line)
{
    NetSession session;
    ParseNetSession(line, session);
    return session;
}

TEST(NetSessionTest, ParsesAndFormatsALine)
{
    const QString line = "Net,Put,\\\\pc\\docs,WG,\\My Documents,\\,Move,\\Sent,guest,pass,word";
    const NetSession session = Parsed(line);
    EXPECT_EQ(session.Server, "pc");
    EXPECT_EQ(session.Share, "docs");
    EXPECT_EQ(session.PostOp, PostMove);
    EXPECT_EQ(session.Password, "pass,word");
    EXPECT_EQ(FormatNetSession(session), line);
    EXPECT_EQ(FormatNetSession(Parsed("net,get,\\\\pc\\docs\\sub,,,,Delete,,,")),
              "Net,Get,\\\\pc\\docs\\sub,,,,Del,,,");
    EXPECT_EQ(Parsed("Net,Put,\\\\pc\\docs\\sub").Share, "sub");
    // A short line reads its missing fields as empty.
    const NetSession shortLine = Parsed("Net,Get,\\\\pc\\docs,DOMAIN,\\Local");
    EXPECT_EQ(shortLine.LocalFolder, "\\Local");
    EXPECT_EQ(shortLine.PcFolder, "");
}

struct KindCase
{
    const char* line;
    int kind;
    int direction;
};

void PrintTo(const KindCase& c, std::ostream* out)
{
    *out << '"' << c.line << '"';
}

class SessionKindTest : public ::testing::TestWithParam<KindCase>
{};

TEST_P(SessionKindTest, OfAnyLine)
{
    EXPECT_EQ(SessionKind(GetParam().line), GetParam().kind);
    EXPECT_EQ(SessionDirection(GetParam().line), GetParam().direction);
}

INSTANTIATE_TEST_SUITE_P(Lines, SessionKindTest,
                         ::testing::Values(KindCase{"FTP,Get,host", KindFtp, DirectionGet},
                                           KindCase{"Ftp", KindNet, DirectionNone},
                                           KindCase{"Smb,Put,x", KindNet, DirectionPut},
                                           KindCase{"Net,Get", KindNet, DirectionNone},
                                           KindCase{"", KindNet, DirectionNone}));

TEST(NetSessionTest, SetSessionFolder)
{
    QString get = "Net,Get,\\\\pc\\docs,W,\\My Documents,\\,None,,u,p";
    SetSessionFolder(get, "\\\\pc\\docs\\Reports");
    EXPECT_EQ(Parsed(get).PcFolder, "\\Reports");
    const QString before = get;
    SetSessionFolder(get, "\\\\other\\share\\x"); // not the session's share
    EXPECT_EQ(get, before);
    QString put = "Net,Put,\\\\pc\\docs,W,\\My Documents,\\,None,,u,p";
    SetSessionFolder(put, "\\Data\\Out");
    EXPECT_EQ(put, "Net,Put,\\\\pc\\docs,W,\\Data\\Out,\\,None,,u,p");
}

// The list is searched ignoring case, and changed by exact names.
TEST(DefaultSessionListTest, CaseRules)
{
    QStringList list{"Office", "Home"};
    EXPECT_EQ(FindDefaultSession(list, "office"), 0);
    EXPECT_EQ(RemoveDefaultSession(list, "home"), -1);
    EXPECT_EQ(AddDefaultSession(list, "home"), 2);
    EXPECT_EQ(RemoveDefaultSession(list, "Home"), 1);
    EXPECT_EQ(list, QStringList({"Office", "home"}));
    EXPECT_EQ(FirstDefaultSession({"", "b"}), "");
}

// Names are exact; a lookup adds the name; the table keeps the order in
// which names came.
TEST(SessionTableTest, LookupAddsAndOrderIsKept)
{
    SessionTable table;
    table.insert("b", "1");
    table.insert("a", "2");
    EXPECT_EQ(table["missing"], "");
    table.insert("b", "3");
    EXPECT_FALSE(table.contains("B"));
    EXPECT_TRUE(table.remove("a"));
    table.insert("a", "4");
    EXPECT_EQ(table.names(), QStringList({"b", "missing", "a"}));
}

} // namespace
