#include "core/filelist/FileFilter.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

// How a pattern of the filter matches a whole name: "*" any run, "?" one
// character (also one outside the BMP), letter case ignored in every script.
struct WildcardCase
{
    const char16_t* pattern;
    const char16_t* name;
    bool matches;
};

void PrintTo(const WildcardCase& c, std::ostream* out)
{
    *out << QString::fromUtf16(c.pattern).toStdString() << " / "
         << QString::fromUtf16(c.name).toStdString();
}

class MatchWildcardTest : public ::testing::TestWithParam<WildcardCase>
{};

TEST_P(MatchWildcardTest, MatchesTheWholeName)
{
    const WildcardCase& c = GetParam();
    EXPECT_EQ(MatchWildcard(QString::fromUtf16(c.pattern), QString::fromUtf16(c.name)), c.matches);
}

INSTANTIATE_TEST_SUITE_P(Rules, MatchWildcardTest,
                         ::testing::Values(WildcardCase{u"*.*", u"README", false},
                                           WildcardCase{u"*.txt", u"NOTES.TXT", true},
                                           WildcardCase{u"*.txt", u"notes.txt.bak", false},
                                           WildcardCase{u"a?c", u"aXc", true},
                                           WildcardCase{u"a?c", u"ac", false},
                                           WildcardCase{u"*ab", u"aab", true},
                                           WildcardCase{u"a*b*c", u"abxbc", true},
                                           WildcardCase{u"a*b*c", u"abxbd", false},
                                           WildcardCase{u"*.ΣΑΣ", u"αρχείο.σας", true},
                                           WildcardCase{u"\U00010400.txt", u"\U00010428.TXT", true},
                                           WildcardCase{u"?", u"\U00010400", true},
                                           WildcardCase{u"??", u"\U00010400", false}));

} // namespace
} // namespace tarvo
