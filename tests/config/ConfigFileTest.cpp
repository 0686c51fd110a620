// The line reader and the section/key reader of the configuration file.
#include "config/TextFile.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

using namespace tarvo;
using tarvo::test::TempFolder;

namespace {

QStringList readLines(const QString& path, QList<bool>* results = nullptr)
{
    TextFile file;
    EXPECT_TRUE(file.open(path));
    QStringList lines;
    QString line;
    for (;;) {
        const bool ended = file.ReadLine(line);
        if (results)
            results->append(ended);
        if (!ended && line.isEmpty() && file.position() >= file.length())
            break;
        lines.append(line);
        if (!ended && file.position() >= file.length())
            break;
    }
    return lines;
}

} // namespace

TEST(TextFileTest, LineEndsAndCarriageReturns)
{
    TempFolder folder;
    QList<bool> results;
    const QStringList lines =
        readLines(folder.write("a.txt", "one\r\ntwo\nthr\ree\r\nlast"), &results);
    EXPECT_EQ(lines, (QStringList{"one", "two", "thr\ree", "last"}));
    EXPECT_EQ(results.last(), false); // the last line has no line end

    // A CR as the very last byte ends the last line and is not stored.
    EXPECT_EQ(readLines(folder.write("b.txt", "x=1\r")), QStringList{"x=1"});
}

TEST(TextFileTest, MissingFileReadsAsEmpty)
{
    TextFile file;
    EXPECT_FALSE(file.open("/nonexistent/folder/file.txt"));
    EXPECT_EQ(file.length(), 0);
    QString line = "stale";
    EXPECT_FALSE(file.ReadLine(line));
    EXPECT_TRUE(line.isEmpty());
}

TEST(TextFileTest, OverlongLineIsCutAndContinues)
{
    TempFolder folder;
    const QByteArray longLine(TextFile::MaxLineLength + 5, 'a');
    TextFile file;
    ASSERT_TRUE(file.open(folder.write("long.txt", longLine + "\r\nnext\r\n")));
    QString line;
    // The line is cut at the limit and the rest of it skipped.
    EXPECT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line, QString(TextFile::MaxLineLength, 'a'));
    EXPECT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line, "next");
}

TEST(TextFileTest, Utf8AndByteEncodings)
{
    TempFolder folder;
    // Valid UTF-8 reads as UTF-8 (a CJK name and an emoji).
    EXPECT_EQ(readLines(folder.write("u.txt", "caf\xC3\xA9 \xE6\x96\x87 \xF0\x9F\x98\x80\r\n")),
              QStringList{QString::fromUtf8("caf\xC3\xA9 \xE6\x96\x87 \xF0\x9F\x98\x80")});
    // Anything else reads byte by byte: each byte is the character of the same code.
    EXPECT_EQ(readLines(folder.write("l.txt", "caf\xE9\r\n")),
              QStringList{QString(QChar(u'c')) + "af" + QChar(0xE9)});
    // NUL bytes are ordinary characters.
    EXPECT_EQ(readLines(folder.write("n.txt", QByteArray("a\0b\r\n", 5))),
              QStringList{QString("a") + QChar(0) + "b"});
}

TEST(CleanLineTest, CommentsAndBlanks)
{
    struct Row
    {
        const char* line;
        const char* cleaned;
    };
    const Row rows[] = {
        {" filter = *.txt ; my types", "filter = *.txt"},
        {"\t\v key=value \f\r", "key=value"},
        {"; only a comment", ""},
        {"[ setting ] ; header", "[ setting ]"},
        {"Filter=\"*.txt;*.doc\"", "Filter=\"*.txt;*.doc\""},
        {"Filter=\"*.txt;*.doc\" ; trailing comment", "Filter=\"*.txt"},
        {"Filter=\"plain\";comment", "Filter=\"plain\""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(CleanLine(row.line), QString(row.cleaned)) << row.line;
}

TEST(ConfigFileTest, SectionsAndKeys)
{
    TempFolder folder;
    ConfigFile file(folder.write("c.txt", "junk line\r\n"
                                          "[ setting ]\r\n"
                                          "filter = *.txt ; my types\r\n"
                                          "Filter=second\r\n"
                                          "Empty=\r\n"
                                          "no equals sign\r\n"
                                          "[Session]\r\n"
                                          "a=1\r\n"
                                          "b=2\r\n"
                                          "a=3\r\n"
                                          "[Setting]\r\n"
                                          "Other=ignored\r\n"
                                          "last=no line end"));
    QString value;
    EXPECT_EQ(file.GetValue("Setting", "FILTER", value, "*.*"), 5);
    EXPECT_EQ(value, "*.txt");
    EXPECT_EQ(file.GetValue("setting", "Empty", value, "default"), 0);
    EXPECT_EQ(value, "");
    // Only the first section of a name is searched.
    EXPECT_EQ(file.GetValue("Setting", "Other", value, "default"), -1);
    EXPECT_EQ(value, "default");
    EXPECT_EQ(file.GetValue("Missing", "a", value, "d"), -1);

    QHash<QString, QString> map;
    QStringList names;
    EXPECT_EQ(file.ReadSection(map, "session", &names), 3);
    EXPECT_EQ(map.value("a"), "3"); // the last line of a name wins
    EXPECT_EQ(names, (QStringList{"a", "b"}));
    EXPECT_EQ(file.ReadSection(map, "nothing"), -1);
}

TEST(ConfigFileTest, LastLineWithoutLineEnd)
{
    TempFolder folder;
    // The last key line is read, a header on the last line is not found.
    ConfigFile keys(folder.write("k.txt", "[Setting]\r\nFilter=*.doc"));
    QString value;
    EXPECT_EQ(keys.GetValue("Setting", "Filter", value, "*.*"), 5);
    EXPECT_EQ(value, "*.doc");
    ConfigFile header(folder.write("h.txt", "x=1\r\n[Setting]"));
    EXPECT_FALSE(header.FindSection("Setting"));
}

TEST(ConfigFileTest, OverlongLinesInsideAndBeforeSections)
{
    TempFolder folder;
    const QByteArray longValue(TextFile::MaxLineLength, 'v');
    // An over-long line is passed over like any other line.
    ConfigFile before(folder.write("b.txt", longValue + "\r\n[Setting]\r\nFilter=x\r\n"));
    EXPECT_TRUE(before.FindSection("Setting"));

    // Inside a section, the first 10239 characters are the line and the rest is skipped.
    ConfigFile inside(folder.write("i.txt", "[Setting]\r\nK=" + longValue + "\r\nFilter=*.x\r\n"));
    QHash<QString, QString> map;
    EXPECT_EQ(inside.ReadSection(map, "Setting"), 2);
    EXPECT_EQ(map.value("K").size(), TextFile::MaxLineLength - 2);
    EXPECT_EQ(map.value("Filter"), "*.x");
}
