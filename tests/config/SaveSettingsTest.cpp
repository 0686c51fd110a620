// The saved file's exact bytes, round trips, and a save that must not lose
// anything: atomic replacement, owner-only permissions, long and odd values.
#include "config/ConfigStore.h"
#include "tests/support/ScriptedMessageService.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>
#include <QFile>

using namespace tarvo;
using tarvo::test::ScriptedMessageService;
using tarvo::test::TempFolder;

namespace {

const QByteArray SampleFile = "\r\n"
                              "; Specify default settings\r\n"
                              "[Setting]\r\n"
                              "EnableOption=Yes\r\n"
                              "DefaultChoice=None\r\n"
                              "Filter=*.*\r\n"
                              "FilterExclude=No\r\n"
                              "TreeSpeed=No\r\n"
                              "DefaultSelect=Yes\r\n"
                              "ShowFolder=No\r\n"
                              "ShowArchive=Yes\r\n"
                              "ShowHidden=Yes\r\n"
                              "ShowReadonly=Yes\r\n"
                              "ShowSystem=Yes\r\n"
                              "ShowInRom=No\r\n"
                              "DefaultSession=Office,Home\r\n"
                              "\r\n"
                              "; Specify network share information\r\n"
                              "; session=share,domain,ppc folder,pc folder,post op,post folder,"
                              "username,password\r\n"
                              "[Session]\r\n"
                              "Office=Net,Put,\\\\pc\\docs,WORKGROUP,\\My Documents,\\,Move,\\Sent,"
                              "guest,pa,ss\r\n"
                              "Home=Net,Get,\\\\nas\\home,WORKGROUP,\\In,\\Out,None,,me,x\r\n"
                              "Legacy=Ftp,Put,ftp.example.com,21\r\n";

Settings loadBytes(const TempFolder& folder, const QByteArray& bytes)
{
    ScriptedMessageService messages;
    Settings settings;
    LoadSettings(settings, folder.write("in.txt", bytes), messages);
    return settings;
}

// The permission bits of the owner, the group and everybody else.
QFileDevice::Permissions ownerGroupOther(const QString& path)
{
    return QFile::permissions(path) & QFileDevice::Permissions(0x7077);
}

} // namespace

TEST(SaveSettingsTest, DefaultSettingsLayout)
{
    Settings settings;
    SetDefaultSettings(settings);
    settings.DefaultSession = {"Office", "Home"};
    settings.Sessions.insert("Office", "Net,Put,\\\\pc\\docs,WORKGROUP,\\My Documents,\\,Move,"
                                       "\\Sent,guest,pa,ss");
    settings.Sessions.insert("Home", "Net,Get,\\\\nas\\home,WORKGROUP,\\In,\\Out,None,,me,x");
    settings.Sessions.insert("Legacy", "Ftp,Put,ftp.example.com,21");
    EXPECT_EQ(SettingsFileBytes(settings), SampleFile);
}

TEST(SaveSettingsTest, LoadThenSaveGivesTheSameBytes)
{
    TempFolder folder;
    EXPECT_EQ(SettingsFileBytes(loadBytes(folder, SampleFile)), SampleFile);

    // An empty default-session value comes back as "DefaultSession=".
    Settings empty = loadBytes(folder, "[Setting]\r\nDefaultSession=\r\n");
    EXPECT_TRUE(SettingsFileBytes(empty).contains("\r\nDefaultSession=\r\n"));

    // A session looked up by a name the table lacks is written as "name=".
    Settings settings = loadBytes(folder, SampleFile);
    settings.Sessions["New"];
    EXPECT_TRUE(
        SettingsFileBytes(settings).endsWith("Legacy=Ftp,Put,ftp.example.com,21\r\nNew=\r\n"));
}

TEST(SaveSettingsTest, ValuesWithSemicolonsSurviveARoundTrip)
{
    TempFolder folder;
    Settings settings;
    settings.Filter = "*.txt;*.doc; *.x";
    settings.Sessions.insert("S", "Net,Put,\\\\pc\\d,W,\\My;Docs,\\,None,,u,pa;ss\"");
    const QByteArray bytes = SettingsFileBytes(settings);
    EXPECT_TRUE(bytes.contains("\r\nFilter=\"*.txt;*.doc; *.x\"\r\n"));
    const Settings loaded = loadBytes(folder, bytes);
    EXPECT_EQ(loaded.Filter, settings.Filter);
    EXPECT_EQ(loaded.Sessions.value("S"), settings.Sessions.value("S"));
    EXPECT_EQ(SettingsFileBytes(loaded), bytes);
}

TEST(SaveSettingsTest, LongAndNonAsciiValuesAreWrittenWhole)
{
    TempFolder folder;
    Settings settings;
    settings.Filter = QString(2000, 'f');
    settings.DefaultSession = {QString(700, 'd'), QString::fromUtf8("B\xC3\xBCro \xE6\x96\x87")};
    const QString longLine = "Net,Put,\\\\pc\\docs,W,\\" + QString(3000, 'L') + ",\\,None,,u,p";
    settings.Sessions.insert(QString::fromUtf8("B\xC3\xBCro \xE6\x96\x87"), longLine);
    const Settings loaded = loadBytes(folder, SettingsFileBytes(settings));
    EXPECT_EQ(loaded.Filter, settings.Filter);
    EXPECT_EQ(loaded.DefaultSession, settings.DefaultSession);
    EXPECT_EQ(loaded.Sessions.value(QString::fromUtf8("B\xC3\xBCro \xE6\x96\x87")), longLine);
}

TEST(SaveSettingsTest, FileIsReplacedAtomicallyAndOwnerOnly)
{
    TempFolder folder;
    const QString path = folder.write("tarvo.txt", "old content");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ReadOther | QFileDevice::ReadGroup);
    ScriptedMessageService messages;
    Settings settings;
    ASSERT_TRUE(SaveSettings(settings, path, messages));
    EXPECT_EQ(TempFolder::read(path), SettingsFileBytes(settings));
    EXPECT_EQ(ownerGroupOther(path), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"tarvo.txt"});

    const QString fresh = folder.filePath("fresh.txt");
    ASSERT_TRUE(SaveSettings(settings, fresh, messages));
    EXPECT_EQ(ownerGroupOther(fresh), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST(SaveSettingsTest, FailedSaveSaysWhichFileAndKeepsTheOldOne)
{
    TempFolder folder;
    const QString missingFolder = folder.filePath("no/such/folder/tarvo.txt");
    ScriptedMessageService messages;
    Settings settings;
    settings.Filter = "*.kept";
    EXPECT_FALSE(SaveSettings(settings, missingFolder, messages));
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_TRUE(messages.messages()[0].text.contains(missingFolder));
    EXPECT_EQ(messages.messages()[0].icon, MessageIcon::Error);
    EXPECT_EQ(settings.Filter, "*.kept");

    // A folder in place of the file: the save fails and nothing is lost.
    const QString directory = folder.filePath("dir.txt");
    QDir().mkpath(directory);
    EXPECT_FALSE(SaveSettings(settings, directory, messages));
    EXPECT_TRUE(QFileInfo(directory).isDir());
}

TEST(SplitJoinListTest, Rules)
{
    struct Row
    {
        const char* text;
        QStringList list;
    };
    const Row rows[] = {
        {"", {""}},
        {"a", {"a"}},
        {"a,,b", {"a", "", "b"}},
        {"a,", {"a", ""}},
        {" a , b", {" a ", " b"}},
    };
    for (const Row& row : rows) {
        QStringList list;
        SplitList(row.text, u',', list);
        EXPECT_EQ(list, row.list) << row.text;
        EXPECT_EQ(JoinList(list, u','), QString(row.text));
    }
}

TEST(SaveSettingsTest, QuotedValuesReadBackExactly)
{
    TempFolder folder;
    const QString values[] = {
        "plain", " leading blank", "trailing blank\t", "a;b",        "\"quoted\"", "\" a\"", "\"\"",
        "\"",    "\"x;y\"",        "\"\" ; \"\"",      "pass word ", "",
    };
    for (const QString& value : values) {
        Settings settings;
        settings.Filter = value;
        settings.Sessions.insert("S", "Net,Put,\\\\pc\\d,W,\\L,\\,None,,u," + value);
        const QByteArray bytes = SettingsFileBytes(settings);
        const Settings loaded = loadBytes(folder, bytes);
        EXPECT_EQ(loaded.Filter, value) << value.toStdString();
        EXPECT_EQ(loaded.Sessions.value("S"), settings.Sessions.value("S")) << value.toStdString();
        EXPECT_EQ(SettingsFileBytes(loaded), bytes);
    }
    // Values that need no quotes are written exactly as they are.
    Settings plain;
    plain.Filter = "\"*.txt\"";
    EXPECT_TRUE(SettingsFileBytes(plain).contains("\r\nFilter=\"*.txt\"\r\n"));
}
