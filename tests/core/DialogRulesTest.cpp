// The rules of two dialogs. The "Map Network Drive" form: what it refuses,
// naming the field, and that what it accepts reads back from its session
// line. The folder browser: the path of an item and which folders show. The
// window tests cover commas, an empty name and names alike but for case, and
// open the tree itself, on the device and on a share.
#include "config/NetSession.h"
#include "core/browse/BrowseRoot.h"
#include "core/browse/FolderReader.h"
#include "core/forms/SessionForm.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

TEST(SessionFormTest, RefusesOnlyWhatWouldNotReadBack)
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
    EXPECT_EQ(problem(name, " a"), "Session may not begin or end with a blank.");
    EXPECT_EQ(problem(name, "a=b"), "Session may not contain \"=\".");
    EXPECT_EQ(problem(name, "[Setting"), "Session may not begin with \"[\".");
    EXPECT_EQ(problem(&SessionForm::password, "pass\r"), "Password may not contain a line break.");
    // The topmost field is named first.
    form.op = "P,ut";
    form.share = "\\\\a,b\\c";
    EXPECT_EQ(CheckSessionForm(form)->field, SessionField::Share);
}

TEST(FolderBrowseTest, ItemPathsAndShownFolders)
{
    EXPECT_EQ(FolderItemPath({"pocket pc", "x"}), "pocket pc\\x"); // only the exact device text

    // Only folders whose names stay inside show.
    const auto shown = [](const QString& name, quint32 attributes = FileAttribute::Directory) {
        return FolderReader::isShownFolder(DirEntry{name, FileInfo{attributes}});
    };
    EXPECT_TRUE(shown(".hidden", FileAttribute::Directory | FileAttribute::Hidden));
    for (const QString name : {".", "..", "a\\..\\..", "a/b", ""})
        EXPECT_FALSE(shown(name)) << name.toStdString();
}

} // namespace
} // namespace tarvo
