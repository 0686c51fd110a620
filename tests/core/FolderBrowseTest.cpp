// The folder browser's rules: the path of an item and which folders show.
// The window tests open the tree itself, on the device and on a share.
#include "core/browse/BrowseRoot.h"
#include "core/browse/FolderReader.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

TEST(FolderBrowseTest, ItemPathsAndShownFolders)
{
    EXPECT_EQ(FolderItemPath({"Pocket PC"}), "\\");
    EXPECT_EQ(FolderItemPath({"\\\\pc\\docs", "Reports", "2026"}), "\\\\pc\\docs\\Reports\\2026");
    EXPECT_EQ(FolderItemPath({"pocket pc", "x"}), "pocket pc\\x"); // only the exact device text
    EXPECT_EQ(FolderItemPath({"\\\\pc\\", "x"}), "\\\\pc\\x");

    // Only folders whose names stay inside show.
    const auto shown = [](const QString& name, quint32 attributes = FileAttribute::Directory) {
        return FolderReader::isShownFolder(DirEntry{name, FileInfo{attributes}});
    };
    EXPECT_TRUE(shown(".hidden", FileAttribute::Directory | FileAttribute::Hidden));
    EXPECT_TRUE(shown("a.b"));
    for (const QString name : {".", "..", "a\\..\\..", "a/b", ""})
        EXPECT_FALSE(shown(name)) << name.toStdString();
    EXPECT_FALSE(shown("file.txt", 0));
}

} // namespace
} // namespace tarvo::test
