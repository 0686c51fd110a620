// The folder that the user gives a session in the Path box or with the
// folder browser: what a session takes, what it refuses and why.
#include "config/SessionFolder.h"

#include "config/NetSession.h"

#include <functional>
#include <gtest/gtest.h>

namespace tarvo {
namespace {

const QString PutLine = "Net,Put,\\\\pc\\docs,WG,\\My Documents,\\In,Move,\\Sent,u,p";
const QString GetLine = "Net,Get,\\\\pc\\docs,WG,\\My Documents,\\In,None,,u,p";

// The line with one field changed, as the session would store it.
QString LineWith(const QString& line, const std::function<void(NetSession&)>& change)
{
    NetSession session;
    ParseNetSession(line, session);
    change(session);
    return FormatNetSession(session);
}

TEST(SessionFolderTest, PutTakesADeviceFolderAndGetAFolderOfItsOwnShare)
{
    const struct
    {
        const QString& line;
        const char* typed;
        const char* local; // the folder stored, or nullptr for a refusal
    } cases[] = {
        {PutLine, "/Work/Out/", "\\Work\\Out"},
        {PutLine, "  Work ", "\\Work"},
        {PutLine, "\\", "\\"},
        {PutLine, "//pc/docs/In", nullptr},
        {GetLine, "\\\\PC\\Docs\\Reports\\", "\\Reports"}, // the share keeps its own spelling
        {GetLine, "//pc/docs", ""},
        {GetLine, "\\\\pc\\docs2\\In", nullptr},
        {GetLine, "\\\\other\\docs\\In", nullptr},
        {GetLine, "\\In", nullptr},
    };
    for (const auto& c : cases) {
        const SessionFolderChange change = ChangeSessionFolder("S", c.line, c.typed);
        if (!c.local) {
            EXPECT_EQ(change.result, SessionFolderChange::Refused) << c.typed;
            continue;
        }
        ASSERT_EQ(change.result, SessionFolderChange::Changed) << c.typed;
        const bool put = &c.line == &PutLine;
        EXPECT_EQ(
            change.line,
            LineWith(c.line, [&](NetSession& s) { (put ? s.LocalFolder : s.PcFolder) = c.local; }))
            << c.typed;
    }
    EXPECT_EQ(ChangeSessionFolder("Office", PutLine, "//pc/docs/In").message,
              "\\\\pc\\docs\\In\r\nis a network path; the session \"Office\" sends the files of "
              "a folder of this device.");
    EXPECT_EQ(ChangeSessionFolder("Files", GetLine, "\\\\pc\\docs2").message,
              "\\\\pc\\docs2\r\nis not on the share \\\\pc\\docs of the session \"Files\".");
}

TEST(SessionFolderTest, TheFolderInUseWrittenAnotherWayIsNoChange)
{
    for (const char* same : {"\\my documents", "/MY DOCUMENTS/", "My Documents", ""})
        EXPECT_EQ(ChangeSessionFolder("S", PutLine, same).result, SessionFolderChange::Unchanged)
            << same;
    EXPECT_EQ(ChangeSessionFolder("S", GetLine, "//PC/DOCS/in/").result,
              SessionFolderChange::Unchanged);
    // Also where the session could not change it: the folder it shows is no news.
    EXPECT_EQ(ChangeSessionFolder("Old", "Ftp,Get,ftp.example.com", "\\My Documents").result,
              SessionFolderChange::Unchanged);
}

TEST(SessionFolderTest, WithoutASessionOrAFolderOfItsOwnNothingChanges)
{
    EXPECT_EQ(ChangeSessionFolder("", "", "\\Work").result, SessionFolderChange::NoSession);
    for (const char* line :
         {"Ftp,Get,ftp.example.com", "Net,None,\\\\pc\\docs,WG,\\Out,\\In,None,,u,p", ""}) {
        const SessionFolderChange change = ChangeSessionFolder("Old", line, "\\Work");
        EXPECT_EQ(change.result, SessionFolderChange::Refused) << line;
        EXPECT_EQ(change.message, "The folder of the session \"Old\" cannot be changed.");
    }
}

} // namespace
} // namespace tarvo
