#include "core/filelist/FileFilter.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

struct WildcardCase
{
    const char16_t* pattern;
    const char16_t* name;
    bool matches;
};

class MatchWildcardTest : public ::testing::TestWithParam<WildcardCase>
{};

TEST_P(MatchWildcardTest, MatchesTheWholeName)
{
    const WildcardCase& c = GetParam();
    EXPECT_EQ(MatchWildcard(QString::fromUtf16(c.pattern), QString::fromUtf16(c.name)), c.matches)
        << QString::fromUtf16(c.pattern).toStdString() << " / "
        << QString::fromUtf16(c.name).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Rules, MatchWildcardTest,
    ::testing::Values(WildcardCase{u"*", u"anything.txt", true}, WildcardCase{u"", u"a", false},
                      WildcardCase{u"*.*", u"README", false}, WildcardCase{u"*.*", u"a.b", true},
                      WildcardCase{u"*.txt", u"NOTES.TXT", true},
                      WildcardCase{u"*.TXT", u"notes.txt", true},
                      WildcardCase{u"*.txt", u"notes.txt.bak", false},
                      WildcardCase{u"a?c", u"abc", true}, WildcardCase{u"a?c", u"AXC", true},
                      WildcardCase{u"a?c", u"ac", false}, WildcardCase{u"a?c", u"abcd", false},
                      WildcardCase{u"abc", u"ab", false}, WildcardCase{u"ab", u"abc", false},
                      WildcardCase{u"*ab", u"aab", true}, WildcardCase{u"*ab", u"aba", false},
                      WildcardCase{u"a*b*c", u"abxbc", true},
                      WildcardCase{u"a*b*c", u"abxbd", false}, WildcardCase{u"a**", u"a", true},
                      WildcardCase{u"*a*", u"bbb", false}, WildcardCase{u"*.", u"name.", true},
                      WildcardCase{u"*?", u"x", true}, WildcardCase{u"x*y?z", u"xaayz", false},
                      WildcardCase{u"x*y?z", u"xaaybz", true}));

// Letter case is ignored per character in every script, and "?" stands for one
// character even when it takes two UTF-16 units.
INSTANTIATE_TEST_SUITE_P(Scripts, MatchWildcardTest,
                         ::testing::Values(WildcardCase{u"*.ΣΑΣ", u"αρχείο.σας", true},
                                           WildcardCase{u"ПРИВЕТ.*", u"привет.txt", true},
                                           WildcardCase{u"ÄRGER?", u"ärgerß", true},
                                           WildcardCase{u"\U00010400.txt", u"\U00010428.TXT", true},
                                           WildcardCase{u"?", u"\U00010400", true},
                                           WildcardCase{u"??", u"\U00010400", false},
                                           WildcardCase{u"*\U00010428", u"ab\U00010400", true}));

struct PatternListCase
{
    const char* patterns;
    const char* name;
    bool matches;
};

class MatchPatternListTest : public ::testing::TestWithParam<PatternListCase>
{};

TEST_P(MatchPatternListTest, MatchesAnyTrimmedPiece)
{
    const PatternListCase& c = GetParam();
    EXPECT_EQ(MatchPatternList(QString::fromUtf8(c.patterns), QString::fromUtf8(c.name)), c.matches)
        << c.patterns << " / " << c.name;
}

INSTANTIATE_TEST_SUITE_P(Lists, MatchPatternListTest,
                         ::testing::Values(PatternListCase{"*.TXT; *.doc", "a.txt", true},
                                           PatternListCase{"*.TXT; *.doc", "B.DOC", true},
                                           PatternListCase{"*.TXT; *.doc", "c.pdf", false},
                                           PatternListCase{"*.txt;", "a.txt", true},
                                           PatternListCase{"*.txt;", "a.doc", false},
                                           PatternListCase{";;", "a.txt", false},
                                           PatternListCase{"", "a.txt", false},
                                           PatternListCase{"  *.txt  ", "a.txt", true},
                                           PatternListCase{"a b", "a b", true},
                                           PatternListCase{"*.txt,*.doc", "a.doc", false},
                                           PatternListCase{"*.txt,*.doc", "a.txt,x.doc", true}));

constexpr quint32 RO = FileAttribute::ReadOnly;
constexpr quint32 H = FileAttribute::Hidden;
constexpr quint32 S = FileAttribute::System;
constexpr quint32 A = FileAttribute::Archive;
constexpr quint32 R = FileAttribute::InRom;
constexpr quint32 D = FileAttribute::Directory;

struct FilterCase
{
    const char* name;
    quint32 attributes;
    bool showFolder;
    quint32 mask;
    const char* filter;
    bool exclude;
    bool shown;
};

class PassesFilterTest : public ::testing::TestWithParam<FilterCase>
{};

TEST_P(PassesFilterTest, AppliesFolderAttributeAndPatternRules)
{
    const FilterCase& c = GetParam();
    Settings settings;
    settings.ShowFolder = c.showFolder;
    settings.ShowAttributes = c.mask;
    settings.Filter = QString::fromUtf8(c.filter);
    settings.FilterExclude = c.exclude;
    const DirEntry entry{QString::fromUtf8(c.name), FileInfo{c.attributes, 0, 0, 0, 0}};
    EXPECT_EQ(PassesFilter(entry, settings), c.shown)
        << c.name << " attributes " << c.attributes << " mask " << c.mask;
}

INSTANTIATE_TEST_SUITE_P(Rules, PassesFilterTest,
                         ::testing::Values(
                             // Folders: ShowFolder alone decides.
                             FilterCase{"Hidden", D | H, true, 0, "*.txt", false, true},
                             FilterCase{"Folder", D, false, 0x7F, "*", false, false},
                             FilterCase{"a.txt", D, true, 0x27, "*.txt", true, true},
                             // The mask hides what it lacks and never requires anything.
                             FilterCase{"a.txt", H | RO, false, H, "*", false, false},
                             FilterCase{"a.txt", H | RO, false, RO, "*", false, false},
                             FilterCase{"a.txt", H | RO, false, H | RO, "*", false, true},
                             FilterCase{"a.txt", 0, false, 0, "*", false, true},
                             FilterCase{"a.txt", 0, false, 0, "*.doc", false, false},
                             FilterCase{"a.txt", A, false, 0x27, "*", false, true},
                             FilterCase{"a.txt", A, false, 0x07, "*", false, false},
                             FilterCase{"a.txt", S, false, 0x23, "*", false, false},
                             FilterCase{"a.txt", R, false, 0x27, "*", false, false},
                             FilterCase{"a.txt", R, false, 0x40, "*", false, true},
                             FilterCase{"a.txt", FileAttribute::Normal, false, 0, "*", false, true},
                             // Patterns, and their inversion.
                             FilterCase{"README", 0, false, 0x27, "*.*", false, false},
                             FilterCase{"README", 0, false, 0x27, "*.*", true, true},
                             FilterCase{"a.txt", 0, false, 0x27, "", false, false},
                             FilterCase{"a.txt", 0, false, 0x27, "", true, true},
                             FilterCase{"a.txt", H, false, 0x25, "", true, false}));

} // namespace
} // namespace tarvo
