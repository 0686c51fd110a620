// Loading the configuration file: defaults for missing keys, the Yes/No rules,
// the missing-file question, and files that are damaged in every way we know.
#include "config/ConfigStore.h"
#include "config/TextFile.h"
#include "platform/Registry.h"
#include "tests/support/ScriptedMessageService.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>
#include <QFile>
#include <unistd.h>

using namespace tarvo;
using tarvo::test::ScriptedMessageService;
using tarvo::test::TempFolder;

namespace {

Settings loadText(const QByteArray& text)
{
    TempFolder folder;
    ScriptedMessageService messages;
    Settings settings;
    EXPECT_TRUE(LoadSettings(settings, folder.write("tarvo.txt", text), messages));
    EXPECT_TRUE(messages.texts().isEmpty());
    return settings;
}

} // namespace

TEST(LoadSettingsTest, MissingKeysTakeTheirDefaults)
{
    const Settings settings = loadText("[Setting]\r\n");
    EXPECT_EQ(settings.Filter, "*.*");
    EXPECT_FALSE(settings.FilterExclude);
    EXPECT_FALSE(settings.ShowFolder);
    EXPECT_FALSE(settings.TreeSpeed);
    EXPECT_TRUE(settings.DefaultSelect);
    EXPECT_TRUE(settings.EnableOption);
    EXPECT_EQ(settings.DefaultChoice, 2);   // a file without the key: "Yes"
    EXPECT_EQ(settings.ShowAttributes, 0u); // a file without the Show keys: all clear
    EXPECT_EQ(settings.DefaultSession, QStringList{""});
    EXPECT_TRUE(settings.Sessions.isEmpty());
}

TEST(LoadSettingsTest, YesNoRules)
{
    struct Row
    {
        const char* text;
        int defaultChoice;
        quint32 mask;
        bool defaultSelect;
        bool showFolder;
    };
    const Row rows[] = {
        {"DefaultChoice=None\r\nShowHidden=no\r\n", 0, 0x00, true, false},
        {"DefaultChoice=n\r\nShowHidden=maybe\r\nShowInRom=maybe\r\n", 4, 0x02, true, false},
        {"DefaultChoice=Y\r\nShowHidden=YES\r\nShowInRom=y\r\nShowFolder=1\r\n", 2, 0x42, true,
         false},
        {"DefaultSelect=N\r\nShowFolder=Yes\r\nShowArchive=Y\r\nShowReadonly=Y\r\n", 2, 0x21, false,
         true},
        {"DefaultSelect=\r\nShowSystem=\r\nShowArchive=No\r\n", 2, 0x04, true, false},
    };
    for (const Row& row : rows) {
        const Settings settings = loadText(QByteArray("[Setting]\r\n") + row.text);
        EXPECT_EQ(settings.DefaultChoice, row.defaultChoice) << row.text;
        EXPECT_EQ(settings.ShowAttributes, row.mask) << row.text;
        EXPECT_EQ(settings.DefaultSelect, row.defaultSelect) << row.text;
        EXPECT_EQ(settings.ShowFolder, row.showFolder) << row.text;
    }
}

TEST(LoadSettingsTest, ValuesAsWritten)
{
    const Settings settings = loadText("\r\n[ setting ]\r\n"
                                       "filter = *.txt ; my types\r\n"
                                       "FilterExclude=Yes\r\n"
                                       "DefaultSession=a,,b,\r\n"
                                       "[Session]\r\n"
                                       "Office=Net,Put,\\\\pc\\docs,WORKGROUP,\\My Documents,\\,"
                                       "None,,guest,secret\r\n"
                                       "zeta=Ftp,Get,whatever\r\n"
                                       "alpha=\r\n");
    EXPECT_EQ(settings.Filter, "*.txt");
    EXPECT_TRUE(settings.FilterExclude);
    EXPECT_EQ(settings.DefaultSession, (QStringList{"a", "", "b", ""}));
    EXPECT_EQ(settings.Sessions.names(), (QStringList{"Office", "zeta", "alpha"}));
    EXPECT_EQ(settings.Sessions.value("zeta"), "Ftp,Get,whatever");
    EXPECT_EQ(loadText("[Setting]\r\nFilter=\r\n").Filter, "");
}

TEST(LoadSettingsTest, DefaultSessionListIsAppendedTo)
{
    TempFolder folder;
    ScriptedMessageService messages;
    Settings settings;
    settings.DefaultSession = {"kept"};
    ASSERT_TRUE(LoadSettings(settings, folder.write("t.txt", "[Setting]\r\nDefaultSession=x\r\n"),
                             messages));
    EXPECT_EQ(settings.DefaultSession, (QStringList{"kept", "x"}));
}

TEST(LoadSettingsTest, MissingFileAsksForDefaults)
{
    TempFolder folder;
    const QString path = folder.filePath("absent.txt");
    ScriptedMessageService messages;

    Settings declined;
    declined.Filter = "unchanged";
    messages.answerNext(MessageResult::Cancel);
    EXPECT_FALSE(LoadSettings(declined, path, messages));
    EXPECT_EQ(declined.Filter, "unchanged");
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(messages.messages()[0].text,
              "No configuration file\r\n" + path + "\r\nUse default settings?");
    EXPECT_EQ(messages.messages()[0].icon, MessageIcon::Question);
    EXPECT_EQ(messages.messages()[0].buttons, MessageButtons::OkCancel);

    Settings accepted;
    accepted.Filter = "x";
    accepted.DefaultChoice = 4;
    accepted.ShowAttributes = 0;
    accepted.DefaultSession = {"kept"};
    messages.answerNext(MessageResult::Ok);
    EXPECT_TRUE(LoadSettings(accepted, path, messages));
    EXPECT_EQ(accepted.Filter, "*.*");
    EXPECT_EQ(accepted.DefaultChoice, 0);
    EXPECT_EQ(accepted.ShowAttributes, 0x27u);
    EXPECT_EQ(accepted.DefaultSession, QStringList{"kept"});
    EXPECT_FALSE(QFile::exists(path)); // the file is not created by loading
}

TEST(LoadSettingsTest, UnreadableFileIsNotReplacedByDefaults)
{
    TempFolder folder;
    // A folder where the file should be cannot be read as a configuration;
    // the defaults are not offered, as a save would then replace it.
    const QString folderPath = folder.filePath("folder.txt");
    QDir().mkpath(folderPath);
    ScriptedMessageService messages;
    Settings settings;
    settings.Filter = "unchanged";
    EXPECT_FALSE(LoadSettings(settings, folderPath, messages));
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_TRUE(messages.messages()[0].text.contains(folderPath));
    EXPECT_TRUE(messages.messages()[0].text.contains("cannot be read"));
    EXPECT_EQ(messages.messages()[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(settings.Filter, "unchanged");

    if (geteuid() != 0) { // root reads every file whatever its permissions
        const QString path = folder.write("locked.txt", "[Setting]\r\n");
        QFile::setPermissions(path, QFileDevice::WriteOwner);
        EXPECT_FALSE(LoadSettings(settings, path, messages));
        EXPECT_EQ(messages.messages().size(), 2);
    }
}

TEST(LoadSettingsTest, DamagedFilesLoadWithoutHarm)
{
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary += char((i * 37) & 0xFF);
    const QByteArray hugeLine = "[Setting]\r\nFilter=" + QByteArray(3 * 1024 * 1024, 'x') + "\r\n";
    const QByteArray inputs[] = {
        binary,
        QByteArray("\0\0[Setting]\0\r\nFilter=\0*.c\r\n", 27),
        hugeLine,
        "no sections at all\r\nFilter=*.x\r\n",
        "[Setting]\r\nFilter=first\r\n[Setting]\r\nFilter=second\r\nFilter=third\r\n",
        "[Session]\r\n=\r\n==\r\n;=\r\n",
    };
    for (const QByteArray& input : inputs) {
        const Settings settings = loadText(input);
        EXPECT_LE(settings.Filter.size(), TextFile::MaxLineLength);
    }
    EXPECT_EQ(loadText(inputs[3]).Filter, "*.*");
    EXPECT_EQ(loadText(inputs[4]).Filter, "first");
    EXPECT_EQ(loadText(inputs[5]).Sessions.value(""), "=");
}

TEST(ConfigPathTest, CommandLineRegistryAndExecutable)
{
    TempFolder folder;
    Registry registry(folder.filePath("registry.ini"));
    const QString programs = folder.filePath("bin.d");
    QDir().mkpath(programs);
    ConfigLocation location{QString(), &registry, programs + "/Tarvo.exe", folder.filePath("user")};
    EXPECT_EQ(GetConfigFilePath(location), programs + "/Tarvo.txt");
    location.executablePath = programs + "/tarvo";
    EXPECT_EQ(GetConfigFilePath(location), programs + "/tarvo.txt");

    // A program in a folder the user cannot write keeps its file in the
    // user's configuration folder.
    location.executablePath = "/nonexistent/bin/tarvo";
    EXPECT_EQ(GetConfigFilePath(location), folder.filePath("user") + "/tarvo.txt");
    EXPECT_TRUE(QFileInfo(folder.filePath("user")).isDir());

    ASSERT_TRUE(registry.writeString(QString::fromUtf16(RegistryKey), "Setting", "/srv/t.txt"));
    EXPECT_EQ(GetConfigFilePath(location), "/srv/t.txt");
    // A value too long for the registry read buffer gives an empty path.
    ASSERT_TRUE(
        registry.writeString(QString::fromUtf16(RegistryKey), "Setting", QString(127, 'p')));
    EXPECT_EQ(GetConfigFilePath(location), "");

    location.explicitPath = "/given/on/the/command/line.txt";
    EXPECT_EQ(GetConfigFilePath(location), location.explicitPath);
}
