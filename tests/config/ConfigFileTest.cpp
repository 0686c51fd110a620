// The configuration file as text: lines, sections and keys, and the check
// that notes each mistake loading passes over.
#include "config/ConfigCheck.h"
#include "config/ConfigStore.h"
#include "config/TextFile.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QStringEncoder>

namespace tarvo {
namespace {

QStringList Lines(const QByteArray& bytes)
{
    TextFile file;
    file.setBytes(bytes);
    QStringList lines;
    QString line;
    while (file.ReadLine(line) || !line.isEmpty())
        lines.append(line);
    return lines;
}

// A lone CR is a character, except as the last byte; an over-long line is
// cut and its rest is no line of its own; bytes that are not UTF-8 are read
// one character each; a byte order mark is no character, and a Windows
// editor's UTF-16 reads as the text it holds.
TEST(TextFileTest, ReadsLines)
{
    EXPECT_EQ(Lines("one\r\ntwo\nthr\ree\r\nx=1\r"), QStringList({"one", "two", "thr\ree", "x=1"}));
    EXPECT_EQ(Lines(QByteArray(TextFile::MaxLineLength + 5, 'a') + "\r\nnext"),
              QStringList({QString(TextFile::MaxLineLength, 'a'), "next"}));
    EXPECT_EQ(Lines("caf\xE9"), QStringList(QStringLiteral("café")));
    const QString text = QStringLiteral("[Setting]\r\nFilter=café");
    const QStringList lines{"[Setting]", QStringLiteral("Filter=café")};
    EXPECT_EQ(Lines("\xEF\xBB\xBF" + text.toUtf8()), lines);
    EXPECT_EQ(Lines("\xEF\xBB\xBF[S]\r\nx=caf\xE9"),
              QStringList({"[S]", QStringLiteral("x=café")}));
    for (const auto encoding : {QStringConverter::Utf16LE, QStringConverter::Utf16BE}) {
        QStringEncoder encoder(encoding, QStringEncoder::Flag::WriteBom);
        EXPECT_EQ(Lines(encoder.encode(text)), lines);
    }
}

// Sections and keys ignore letter case and blanks; only the first section of
// a name counts; the last line of a key wins; the file's last line needs no end.
TEST(ConfigFileTest, SectionsAndKeysAndTheCheckNotesEachMistakeOnce)
{
    ConfigFile file(
        QByteArray("junk\r\n[ setting ]\r\nfilter = *.txt ; types\r\nEmpty=\r\n"
                   "\v Blank = x \f\r\nQuoted=\"a;b\" \r\n[Session]\r\na=1\r\nb=2\r\na=3\r\n"
                   "[Setting]\r\nOther=x\r\n[Last]\r\nkey=no line end"));
    const auto value = [&](const QString& section, const QString& key) {
        QString found;
        return file.GetValue(section, key, found, "none") < 0 ? "none" : found;
    };
    EXPECT_EQ(
        QStringList({value("Setting", "FILTER"), value("Setting", "Blank"),
                     value("Setting", "Quoted"), value("Setting", "Other"), value("Last", "key")}),
        QStringList({"*.txt", "x", "a;b", "none", "no line end"}));
    QHash<QString, QString> map;
    QStringList names;
    EXPECT_EQ(file.ReadSection(map, "session", &names), 3);
    EXPECT_EQ(names << map.value("a"), QStringList({"a", "b", "3"}));

    // One note per mistake; correct lines (a port, "delete", a short line, an
    // Ftp line) and an empty DefaultSession entry give none; of a session
    // written twice only the last line is checked.
    const QByteArray bytes =
        "[Setting]\r\nShowArchive=Yes\r\nDefaultSession=Good,,Ofice\r\n[Session]\r\n"
        "Good=Net,put,\\\\pc:8445\\docs,W,\\Out,\\,delete,,u,p,Putt\r\n"
        "Short=Net,Get,\\\\pc\\d\r\nOld=Ftp,Get,host\r\n"
        "Office=Net,Putt,\\\\pc\\docs,W,\\Out,\\,Move,\\Sent,u,p\r\n"
        "Office=NET,Sideways,\\\\pc:99999\\docs,W,\\Out,\\,Shred,\\Sent,u,p\r\n"
        "A=Net,Put,\\\\pc\\,W,\\Out,\\,None,,u,p\r\nB=Net,Put,docs,W,\\Out,\\,None,,u,p\r\n"
        "Old=Ftp,Get,host\r\nOld=Ftp,Sideways,ftp.example.com:99999\r\n";
    Settings settings;
    LoadSettingsFromBytes(settings, bytes);
    EXPECT_EQ(CheckConfiguration(settings, bytes),
              QStringList(
                  {"Session \"Old\" is defined 3 times; the last line is used.",
                   "Session \"Office\": unknown direction \"Sideways\"; it is taken as None.",
                   "Session \"Office\": the port in \"pc:99999\" is not a number from 1 to 65535.",
                   "Session \"Office\": unknown post-operation \"Shred\"; it is taken as None.",
                   "Session \"Office\" is defined twice; the last line is used.",
                   "Session \"A\": \"\\\\pc\\\" names no share; write \\\\server\\share.",
                   "Session \"B\": \"docs\" names no server; write \\\\server\\share.",
                   "DefaultSession names \"Ofice\", which is no session."}));
}

} // namespace
} // namespace tarvo
