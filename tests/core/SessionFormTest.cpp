// The rules of the "Map Network Drive" form: what it refuses, naming the
// field, and that what it accepts reads back from its session line.
#include "core/forms/SessionForm.h"

#include "config/NetSession.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

struct NameRuleCase
{
    const char* name;
    const char* edited; // empty: a new session
    const char* typed;
    QString message; // empty: accepted
    bool renames;    // RenamesLetterCase, were the name accepted
};

class SessionNameRuleTest : public ::testing::TestWithParam<NameRuleCase>
{};

TEST_P(SessionNameRuleTest, RefusesANewNameThatDiffersFromAnotherOnlyInLetterCase)
{
    const QStringList table{"Office", "work", "AB", "ab", ""};
    const NameRuleCase& c = GetParam();
    SessionForm form = SessionFormForAdd();
    form.sessionName = QString::fromUtf8(c.typed);
    const auto problem = CheckSessionForm(form, table, QString::fromUtf8(c.edited));
    EXPECT_EQ(problem ? problem->message : QString(), c.message);
    EXPECT_TRUE(!problem || problem->field == SessionField::SessionName);
    EXPECT_EQ(RenamesLetterCase(c.edited, c.typed, table), c.renames);
}

QString Like(const char* typed, const char* other)
{
    return QStringLiteral("The session name \"%1\" differs from the session \"%2\" only in "
                          "letter case. Choose another name.")
        .arg(QLatin1String(typed), QLatin1String(other));
}

INSTANTIATE_TEST_SUITE_P(
    Names, SessionNameRuleTest,
    ::testing::Values(
        NameRuleCase{"NewName", "", "Office 2", "", false},
        NameRuleCase{"NewLikeAnother", "", "office", Like("office", "Office"), false},
        NameRuleCase{"RenameLikeAnother", "work", "OFFICE", Like("OFFICE", "Office"), false},
        NameRuleCase{"EmptyOnAdd", "", "", "Session may not be empty.", false},
        NameRuleCase{"ExactNameOfAnother", "", "Office", "", false},
        NameRuleCase{"OwnNameBesideASibling", "ab", "ab", "", false},
        NameRuleCase{"OwnNameInOtherCase", "work", "Work", "", true},
        NameRuleCase{"OwnNameInOtherCaseLikeASibling", "ab", "Ab", Like("Ab", "AB"), true},
        NameRuleCase{"OwnNameOntoASibling", "AB", "ab", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SessionFormTest, RefusesOnlyWhatWouldNotReadBack)
{
    const auto withName = [](const QString& name) {
        SessionForm form = SessionFormForAdd();
        form.sessionName = name;
        return form;
    };
    const auto with = [](QString SessionForm::*field, const QString& value) {
        SessionForm form = SessionFormForAdd();
        form.sessionName = QStringLiteral("s");
        form.*field = value;
        return form;
    };
    const struct
    {
        SessionForm form;
        const char* message; // empty: accepted
    } cases[] = {
        {withName("Office 2"), ""},
        // Named as a comma is: the page could neither list nor remove such a session.
        {withName(""), "Session may not be empty."},
        {withName(" "), "Session may not begin or end with a blank."},
        {withName("a,b"),
         "Session may not contain \",\", which separates the fields of a session."},
        {withName("a=b"), "Session may not contain \"=\"."},
        {withName("a;b"), "Session may not contain \";\"."},
        {withName("[Setting]"), "Session may not begin with \"[\"."},
        {withName("a[b]"), ""},
        {withName(" a"), "Session may not begin or end with a blank."},
        {withName("a\t"), "Session may not begin or end with a blank."},
        {withName("a\nb"), "Session may not contain a line break."},
        {with(&SessionForm::password, "p,a;s=s[w"), ""},
        {with(&SessionForm::password, "pass\r\n"), "Password may not contain a line break."},
        {with(&SessionForm::localFolder, "\\a;b=c"), ""},
        {with(&SessionForm::pcFolder, "\\in\nbox"), "PC Folder may not contain a line break."},
    };
    for (const auto& c : cases) {
        const auto problem = CheckSessionForm(c.form);
        EXPECT_EQ(problem ? problem->message : QString(), QString::fromUtf8(c.message))
            << c.form.sessionName.toStdString() << " " << c.message;
    }
    // The topmost field is named first.
    SessionForm two = SessionFormForAdd();
    two.sessionName = QStringLiteral("s");
    two.op = QStringLiteral("P,ut");
    two.share = QStringLiteral("\\\\a,b\\c");
    EXPECT_EQ(CheckSessionForm(two)->field, SessionField::Share);
}

TEST(SessionFormTest, AnAcceptedFormReadsBackFromItsLine)
{
    SessionForm form;
    form.sessionName = QStringLiteral("Office");
    form.share = QStringLiteral("\\\\fs1\\team");
    form.domain = QStringLiteral("CORP");
    form.userName = QStringLiteral("kim");
    form.password = QStringLiteral(",a,b,");
    form.localFolder = QStringLiteral("\\My Documents");
    form.pcFolder = QStringLiteral("\\");
    form.post = QStringLiteral("Copy");
    form.postFolder = QStringLiteral("\\Sent");
    form.op = QStringLiteral("Get");
    ASSERT_FALSE(CheckSessionForm(form));

    NetSession session;
    session.Name = form.sessionName;
    ParseNetSession(EncodeSessionLine(form), session);
    EXPECT_EQ(SessionFormFrom(session), form);
}

} // namespace
} // namespace tarvo
