// The folders of a session and the small path and text helpers.
#include "config/PathHelpers.h"

#include <gtest/gtest.h>

using namespace tarvo;

TEST(PathHelpersTest, TrailingSeparator)
{
    EXPECT_EQ(AddTrailingSeparator("\\Temp"), "\\Temp\\");
    EXPECT_EQ(AddTrailingSeparator("/x/"), "/x/");
    EXPECT_EQ(AddTrailingSeparator("\\x\\"), "\\x\\");
    EXPECT_EQ(AddTrailingSeparator(""), "\\");
    EXPECT_TRUE(IsSeparator("/"));
    EXPECT_TRUE(IsSeparator("\\"));
    EXPECT_FALSE(IsSeparator("\\\\"));
}

TEST(PathHelpersTest, SessionFolders)
{
    struct Row
    {
        const char* name;
        const char* line;
        const char* source;
        const char* target;
        const char* post;
    };
    const Row rows[] = {
        {"S", "Net,Put,\\\\pc\\docs,W,\\Local,Reports,Move,\\Sent,u,p", "\\Local\\",
         "\\\\pc\\docs\\Reports\\", "\\Sent\\"},
        {"S", "Net,Get,\\\\pc\\docs,W,\\Local,Reports,Copy,,u,p", "\\\\pc\\docs\\Reports\\",
         "\\Local\\", "\\"},
        {"S", "Net,Put,\\\\pc\\docs,W,\\Local,\\,None,,u,p", "\\Local\\", "\\\\pc\\docs\\", "\\"},
        {"S", "Net,Get,\\\\pc\\,W,\\Local,Reports,None,,u,p", "\\\\pc\\Reports\\", "\\Local\\",
         "\\"},
        {"S", "Net,Put,\\\\pc\\,W,\\Local,Reports,None,,u,p", "\\Local\\", "\\\\pc\\\\Reports\\",
         "\\"},
        {"S", "Net,None,\\\\pc\\docs,W,\\Local,\\,None,\\P,u,p", "\\My Documents\\",
         "\\My Documents\\", "\\P\\"},
        {"S", "Ftp,Put,host", "\\My Documents\\", "\\My Documents\\", "\\"},
        {"", "Net,Put,\\\\pc\\docs,W,\\Local,\\,None,\\P,u,p", "\\My Documents\\",
         "\\My Documents\\", "\\"},
        {"S", "", "\\My Documents\\", "\\My Documents\\", "\\"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SessionSourceFolder(row.name, row.line), QString(row.source)) << row.line;
        EXPECT_EQ(SessionTargetFolder(row.name, row.line), QString(row.target)) << row.line;
        EXPECT_EQ(SessionPostFolder(row.name, row.line), QString(row.post)) << row.line;
    }
}

TEST(PathHelpersTest, SplitPathAndEntry)
{
    EXPECT_EQ(SplitPath("\\My Documents\\a.txt").folder, "\\My Documents\\");
    EXPECT_EQ(SplitPath("\\My Documents\\a.txt").fileName, "a.txt");
    EXPECT_EQ(SplitPath("a.txt").folder, "");
    EXPECT_EQ(SplitPath("a.txt").fileName, "a.txt");

    EXPECT_EQ(SplitEntry("Office,\\My Documents\\a,b.txt").sessionName, "Office");
    EXPECT_EQ(SplitEntry("Office,\\My Documents\\a,b.txt").path, "\\My Documents\\a,b.txt");
    EXPECT_EQ(SplitEntry("\\no\\session").sessionName, "");
    EXPECT_EQ(SplitEntry("\\no\\session").path, "\\no\\session");
}
