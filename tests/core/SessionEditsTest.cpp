// The Net page's edits of the session table and the default sessions, one
// row per case, each with the settings it leaves. The window tests drive the
// same edits through the page's buttons.
#include "core/forms/SessionEdits.h"

#include "tests/support/QtPrinters.h"

#include <functional>
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

// What an edit leaves: the settings, and what it tells the page: whom it
// asked about, then which sessions went, or which spelling it renamed.
using Edit = std::function<std::pair<Settings, QStringList>()>;

Edit Store(const QString& edited, const QString& typed)
{
    return [=] {
        SessionForm form = SessionFormForAdd();
        form.sessionName = typed;
        form.share = "\\\\new\\share";
        const StoredSession stored = StoreSession(Before(), edited, form);
        EXPECT_EQ(stored.name + ' ' + stored.line, typed + ' ' + DialogLine);
        const QString renamed = stored.renamedFrom;
        return std::pair(stored.settings,
                         renamed.isEmpty() ? QStringList() : QStringList("renamed " + renamed));
    };
}

// The user answers OK for the confirmed names only.
Edit Remove(const QStringList& ticked, const QStringList& confirmed)
{
    return [=] {
        QStringList told;
        const RemovedSessions result = RemoveSessions(Before(), ticked, [&](const QString& name) {
            told.append("asked " + name);
            return confirmed.contains(name);
        });
        for (const QString& name : result.removed)
            told.append("removed " + name);
        return std::pair(result.settings, told);
    };
}

Edit SetDefaults(const QStringList& ticked)
{
    return [=] { return std::pair(SetDefaultSessions(Before(), ticked), QStringList()); };
}

// Readable in a failure report: each session, then the defaults.
QStringList Shown(const Settings& settings)
{
    QStringList shown;
    for (const QString& name : settings.Sessions.names())
        shown.append(name + u'=' + settings.Sessions.line(name));
    return shown << "defaults " + settings.DefaultSession.join(u',');
}

// A row: its name, the edit, the table's names after it (a "*" marks the one
// that holds the dialog's line), the defaults after it as the file writes
// them, and what it told, each with "; " after the one before.
struct Row
{
    const char* name;
    Edit edit;
    const char* sessions;
    const char* defaults;
    const char* told;
};

using SessionEditsTest = ::testing::TestWithParam<Row>;

TEST_P(SessionEditsTest, LeaveTheSettingsOfTheirRow)
{
    const Row& row = GetParam();
    Settings expected = Before();
    expected.Sessions.clear();
    for (const QString& name : QString(row.sessions).split(u' ')) {
        const bool stored = name.endsWith(u'*');
        expected.Sessions.insert(stored ? name.chopped(1) : name, stored ? DialogLine : Line(name));
    }
    expected.DefaultSession = QString(row.defaults).split(u',', Qt::SkipEmptyParts);
    const auto [settings, told] = row.edit();
    EXPECT_EQ(told.join("; "), row.told);
    EXPECT_EQ(Shown(settings), Shown(expected));
    EXPECT_TRUE(settings == expected) << "every other setting stays";
}

const char* const All = "Office Home gamma Gamma Lab";
const char* const Defaults = "Home,Gamma,OFFICE,Gone";

INSTANTIATE_TEST_SUITE_P(
    Edits, SessionEditsTest,
    ::testing::Values(
        Row{"AddPutsANewSessionLast", Store("", "Cottage"), "Office Home gamma Gamma Lab Cottage*",
            Defaults, ""},
        Row{"EditUnderItsOwnNameKeepsItsPlace", Store("Home", "Home"),
            "Office Home* gamma Gamma Lab", Defaults, ""},
        Row{"ANewNameLeavesTheEditedSession", Store("Home", "Cottage"),
            "Office Home gamma Gamma Lab Cottage*", Defaults, ""},
        Row{"ALetterCaseChangeRenamesInItsPlaceAmongTheDefaults", Store("Home", "HOME"),
            "Office gamma Gamma Lab HOME*", "HOME,Gamma,OFFICE,Gone", "renamed Home"},
        Row{"ARenamedDefaultInAnotherSpellingStaysAsWritten", Store("Office", "office"),
            "Home gamma Gamma Lab office*", Defaults, "renamed Office"},
        Row{"TheSpellingOfATwinStoresOverTheTwin", Store("gamma", "Gamma"),
            "Office Home gamma Gamma* Lab", Defaults, ""},
        Row{"AnOrdinarySessionGoesUnasked", Remove({"Lab"}, {}), "Office Home gamma Gamma",
            Defaults, "removed Lab"},
        Row{"ADefaultGoesAfterOk", Remove({"Home"}, {"Home"}), "Office gamma Gamma Lab",
            "Gamma,OFFICE,Gone", "asked Home; removed Home"},
        Row{"ADefaultStaysAfterCancelAndTheNextStillGoes", Remove({"Home", "Lab"}, {}),
            "Office Home gamma Gamma", Defaults, "asked Home; removed Lab"},
        Row{"ARemovedDefaultInAnotherSpellingIsAskedForAndItsEntryStays",
            Remove({"Office"}, {"Office"}), "Home gamma Gamma Lab", Defaults,
            "asked Office; removed Office"},
        Row{"ATwinIsNotAskedForOnceTheDefaultIsGone", Remove({"Gamma", "gamma"}, {"Gamma"}),
            "Office Home Lab", "Home,OFFICE,Gone", "asked Gamma; removed Gamma; removed gamma"},
        Row{"TheTickedInRowOrderReplaceEveryDefault", SetDefaults({"gamma", "Lab"}), All,
            "gamma,Lab", ""},
        Row{"NoTickLeavesNoDefault", SetDefaults({}), All, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tarvo
