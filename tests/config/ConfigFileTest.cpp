// The line reader and the section/key reader of the configuration file.
#include "config/TextFile.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace {

struct LinesCase
{
    const char* name;
    QByteArray bytes;
    QStringList lines;
};

class TextFileTest : public ::testing::TestWithParam<LinesCase>
{};

TEST_P(TextFileTest, ReadsLines)
{
    TextFile file;
    file.setBytes(GetParam().bytes);
    QStringList lines;
    QString line;
    while (file.ReadLine(line) || !line.isEmpty())
        lines.append(line);
    EXPECT_EQ(lines, GetParam().lines);
}

const QByteArray Long(TextFile::MaxLineLength + 5, 'a');

INSTANTIATE_TEST_SUITE_P(
    Files, TextFileTest,
    ::testing::Values(
        // A lone CR is a character, except as the last byte.
        LinesCase{"LineEnds", "one\r\ntwo\nthr\ree\r\nx=1\r", {"one", "two", "thr\ree", "x=1"}},
        // An over-long line is cut; its rest is no line of its own.
        LinesCase{
            "OverlongLine", Long + "\r\nnext", {QString(TextFile::MaxLineLength, 'a'), "next"}},
        LinesCase{"Utf8",
                  "caf\xC3\xA9 \xF0\x9F\x98\x80",
                  {QString::fromUtf8("caf\xC3\xA9 \xF0\x9F\x98\x80")}},
        // Anything else is read byte by byte, each the character of its code.
        LinesCase{"Bytes", "caf\xE9", {QString::fromLatin1("caf\xE9")}}),
    [](const auto& info) { return std::string(info.param.name); });

// Sections and keys ignore letter case and blanks; only the first section of
// a name counts; the last line of a key wins; the file's last line needs no end.
TEST(ConfigFileTest, SectionsAndKeys)
{
    ConfigFile file(
        QByteArray("junk\r\n[ setting ]\r\nfilter = *.txt ; types\r\nEmpty=\r\n"
                   "\v Blank = x \f\r\nQuoted=\"a;b\" \r\n[Session]\r\na=1\r\nb=2\r\na=3\r\n"
                   "[Setting]\r\nOther=x\r\n[Last]\r\nkey=no line end"));
    const auto value = [&](const QString& section, const QString& key) {
        QString found;
        return file.GetValue(section, key, found, "none") < 0 ? "none" : found;
    };
    EXPECT_EQ(value("Setting", "FILTER"), "*.txt");
    EXPECT_EQ(value("setting", "Empty"), "");
    EXPECT_EQ(value("Setting", "Blank"), "x");
    EXPECT_EQ(value("Setting", "Quoted"), "a;b");
    EXPECT_EQ(value("Setting", "Other"), "none");
    EXPECT_EQ(value("Last", "key"), "no line end");
    QHash<QString, QString> map;
    QStringList names;
    EXPECT_EQ(file.ReadSection(map, "session", &names), 3);
    EXPECT_EQ(map.value("a"), "3");
    EXPECT_EQ(names, QStringList({"a", "b"}));
}

} // namespace
