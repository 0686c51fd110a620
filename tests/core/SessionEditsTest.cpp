// The Net page's edits of the session table and the default sessions, one
// row per case, each with the settings it leaves. The window tests drive the
// same edits through the page's buttons.
#include "core/forms/SessionEdits.h"

#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

QString Line(const QString& server)
{
    return "Net,Put,\\\\" + server + "\\docs,WG,\\Docs,\\,None,,ann,pw";
}

const QString DialogLine = "Net,None,\\\\new\\share,WORKGROUP,,,None,,,";

// A hand-written file may hold letter-case twins, and defaults in another
// spelling or naming no session.
Settings Before()
{
    Settings settings;
    settings.Filter = "*.txt";
    for (const char* name : {"Office", "Home", "gamma", "Gamma", "Lab"})
        settings.Sessions.insert(name, Line(name));
    settings.DefaultSession = {"Home", "Gamma", "OFFICE", "Gone"};
    return settings;
}

// Readable in a failure report: each session, then the defaults.
QStringList Shown(const Settings& settings)
{
    QStringList shown;
    for (const QString& name : settings.Sessions.names())
        shown.append(name + u'=' + settings.Sessions.line(name));
    return shown << "defaults " + settings.DefaultSession.join(u',');
}

// Each row: the edit, the table's names after it (a "*" marks the one that
// holds the dialog's line), the defaults after it as the file writes them
// ("=" as before), and what the edit told the page: whom it asked about,
// then which sessions went, or which spelling it renamed. The edits:
// "store EDITED TYPED" (EDITED "-" for a new session), "remove TICKED
// CONFIRMED" (the user answers OK for the confirmed names only) and
// "defaults TICKED", each list separated by commas.
TEST(SessionEditsTest, LeaveTheSettingsOfTheirRow)
{
    for (const char* text :
         {// Add puts a new session last.
          "store - Cottage|Office Home gamma Gamma Lab Cottage*|=|",
          // An edit under its own name keeps its place.
          "store Home Home|Office Home* gamma Gamma Lab|=|",
          // A new name leaves the edited session.
          "store Home Cottage|Office Home gamma Gamma Lab Cottage*|=|",
          // A letter-case change renames in its place among the defaults.
          "store Home HOME|Office gamma Gamma Lab HOME*|HOME,Gamma,OFFICE,Gone|renamed Home",
          // A renamed default in another spelling stays as written.
          "store Office office|Home gamma Gamma Lab office*|=|renamed Office",
          // The spelling of a twin stores over the twin.
          "store gamma Gamma|Office Home gamma Gamma* Lab|=|",
          // An ordinary session goes unasked.
          "remove Lab|Office Home gamma Gamma|=|removed Lab",
          // A default goes after OK.
          "remove Home Home|Office gamma Gamma Lab|Gamma,OFFICE,Gone|asked Home; removed Home",
          // A default stays after Cancel, and the next still goes.
          "remove Home,Lab|Office Home gamma Gamma|=|asked Home; removed Lab",
          // A removed default in another spelling is asked for, and its entry stays.
          "remove Office Office|Home gamma Gamma Lab|=|asked Office; removed Office",
          // A twin is not asked for once the default is gone.
          "remove Gamma,gamma Gamma|Office Home Lab|Home,OFFICE,Gone|"
          "asked Gamma; removed Gamma; removed gamma",
          // The ticked, in row order, replace every default; no tick leaves none.
          "defaults gamma,Lab|Office Home gamma Gamma Lab|gamma,Lab|",
          "defaults|Office Home gamma Gamma Lab||"}) {
        SCOPED_TRACE(text);
        const QStringList row = QString(text).split(u'|');
        const QStringList edit = row[0].split(u' ');
        const auto names = [&](int field) {
            return edit.value(field).split(u',', Qt::SkipEmptyParts);
        };
        Settings settings;
        QStringList told;
        if (edit[0] == "store") {
            SessionForm form = SessionFormForAdd();
            form.sessionName = edit[2];
            form.share = "\\\\new\\share";
            const StoredSession stored =
                StoreSession(Before(), edit[1] == "-" ? "" : edit[1], form);
            EXPECT_EQ(stored.name + ' ' + stored.line, edit[2] + ' ' + DialogLine);
            settings = stored.settings;
            if (!stored.renamedFrom.isEmpty())
                told.append("renamed " + stored.renamedFrom);
        } else if (edit[0] == "remove") {
            const RemovedSessions result =
                RemoveSessions(Before(), names(1), [&](const QString& name) {
                    told.append("asked " + name);
                    return names(2).contains(name);
                });
            for (const QString& name : result.removed)
                told.append("removed " + name);
            settings = result.settings;
        } else {
            settings = SetDefaultSessions(Before(), names(1));
        }

        Settings expected = Before();
        expected.Sessions.clear();
        for (const QString& name : row[1].split(u' ')) {
            const bool stored = name.endsWith(u'*');
            expected.Sessions.insert(stored ? name.chopped(1) : name,
                                     stored ? DialogLine : Line(name));
        }
        if (row[2] != "=")
            expected.DefaultSession = row[2].split(u',', Qt::SkipEmptyParts);
        EXPECT_EQ(told.join("; "), row[3]);
        EXPECT_EQ(Shown(settings), Shown(expected));
        EXPECT_TRUE(settings == expected) << "every other setting stays";
    }
}

} // namespace
} // namespace tarvo
