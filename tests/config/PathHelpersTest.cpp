// The folders of a session and the splitting of paths and transfer entries.
#include "config/PathHelpers.h"

#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace {

struct FoldersCase
{
    const char* name;
    const char* session;
    const char* line;
    const char* source;
    const char* target;
    const char* post;
};

class SessionFoldersTest : public ::testing::TestWithParam<FoldersCase>
{};

TEST_P(SessionFoldersTest, EndWithASeparator)
{
    const FoldersCase& c = GetParam();
    EXPECT_EQ(SessionSourceFolder(c.session, c.line), c.source);
    EXPECT_EQ(SessionTargetFolder(c.session, c.line), c.target);
    EXPECT_EQ(SessionPostFolder(c.session, c.line), c.post);
}

const char* const Mine = "\\My Documents\\";

INSTANTIATE_TEST_SUITE_P(
    Lines, SessionFoldersTest,
    ::testing::Values(
        FoldersCase{"Put", "S", "Net,Put,\\\\pc\\docs,W,\\Local,Reports,Move,\\Sent,u,p",
                    "\\Local\\", "\\\\pc\\docs\\Reports\\", "\\Sent\\"},
        FoldersCase{"Get", "S", "Net,Get,\\\\pc\\docs,W,\\Local,\\Reports,Copy,,u,p",
                    "\\\\pc\\docs\\Reports\\", "\\Local\\", "\\"},
        FoldersCase{"GetWithoutShareName", "S", "Net,Get,\\\\pc\\,W,\\Local,Reports,None,,u,p",
                    "\\\\pc\\Reports\\", "\\Local\\", "\\"},
        FoldersCase{"PutWithoutShareName", "S", "Net,Put,\\\\pc\\,W,\\Local,Reports,None,,u,p",
                    "\\Local\\", "\\\\pc\\\\Reports\\", "\\"},
        FoldersCase{"NoDirection", "S", "Net,None,\\\\pc\\docs,W,\\Local,\\,None,\\P,u,p", Mine,
                    Mine, "\\P\\"},
        FoldersCase{"Ftp", "S", "Ftp,Put,host", Mine, Mine, "\\"},
        FoldersCase{"NoName", "", "Net,Put,\\\\pc\\docs,W,\\Local,\\,None,\\P,u,p", Mine, Mine,
                    "\\"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PathHelpersTest, SplitPathAndEntry)
{
    EXPECT_EQ(SplitPath("\\My Documents\\a.txt").folder, "\\My Documents\\");
    EXPECT_EQ(SplitPath("\\My Documents\\a.txt").fileName, "a.txt");
    EXPECT_EQ(SplitEntry("Office,\\Docs\\a,b.txt").sessionName, "Office");
    EXPECT_EQ(SplitEntry("Office,\\Docs\\a,b.txt").path, "\\Docs\\a,b.txt");
    EXPECT_EQ(SplitEntry("\\no\\session").sessionName, "");
    EXPECT_EQ(AddTrailingSeparator(""), "\\");
    EXPECT_EQ(AddTrailingSeparator("/x/"), "/x/");
}

} // namespace
