// Loading the configuration: defaults for missing keys, the Yes/No rules, the
// question for a missing file, and where the file is.
#include "config/ConfigStore.h"
#include "platform/Registry.h"
#include "tests/support/ScriptedMessageService.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

using namespace tarvo;
using tarvo::test::ScriptedMessageService;
using tarvo::test::TempFolder;

namespace {

struct YesNoCase
{
    const char* name;
    const char* keys;
    int defaultChoice;
    quint32 show;
    bool defaultSelect;
};

class YesNoTest : public ::testing::TestWithParam<YesNoCase>
{};

// "No" or "N", then "Yes" or "Y", in any case; anything else leaves the value.
TEST_P(YesNoTest, ReadsTheValues)
{
    Settings settings;
    LoadSettingsFromBytes(settings, QByteArray("[Setting]\r\n") + GetParam().keys);
    EXPECT_EQ(settings.DefaultChoice, GetParam().defaultChoice);
    EXPECT_EQ(settings.ShowAttributes, GetParam().show);
    EXPECT_EQ(settings.DefaultSelect, GetParam().defaultSelect);
}

INSTANTIATE_TEST_SUITE_P(
    Values, YesNoTest,
    ::testing::Values(
        // A file without the Show keys shows no file that has one of the attributes.
        YesNoCase{"Missing", "", 2, 0, true},
        YesNoCase{"Words", "DefaultChoice=None\r\nShowHidden=YES\r\nDefaultSelect=No\r\n", 0, 0x02,
                  false},
        YesNoCase{"Letters", "DefaultChoice=n\r\nShowInRom=y\r\nShowReadonly=Y\r\n", 4, 0x41, true},
        YesNoCase{"Others", "DefaultChoice=Y\r\nShowHidden=maybe\r\nDefaultSelect=\r\n", 2, 0x02,
                  true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoadSettingsTest, ValuesAsWrittenAndDefaults)
{
    Settings settings;
    settings.DefaultSession = {"kept"};
    LoadSettingsFromBytes(settings, "[Setting]\r\nDefaultSession=a,,b,\r\n[Session]\r\n"
                                    "zeta=Ftp,Get,x\r\nOffice=Net,Put,\\\\pc\\docs\r\nalpha=\r\n");
    EXPECT_EQ(settings.DefaultSession, QStringList({"kept", "a", "", "b", ""}));
    EXPECT_EQ(settings.Sessions.names(), QStringList({"zeta", "Office", "alpha"}));
    EXPECT_EQ(settings.Sessions.value("zeta"), "Ftp,Get,x");
    EXPECT_EQ(settings.Filter, "*.*");
}

TEST(LoadSettingsTest, AMissingFileAsksForTheDefaults)
{
    TempFolder folder;
    const QString path = folder.filePath("absent.txt");
    ScriptedMessageService messages;
    Settings settings;
    settings.Filter = "unchanged";
    messages.answerNext(MessageResult::Cancel);
    EXPECT_FALSE(LoadSettings(settings, path, messages));
    EXPECT_EQ(settings.Filter, "unchanged");
    EXPECT_EQ(messages.texts(),
              QStringList("No configuration file\r\n" + path + "\r\nUse default settings?"));
    EXPECT_EQ(messages.messages()[0].buttons, MessageButtons::OkCancel);

    EXPECT_TRUE(LoadSettings(settings, path, messages)); // answered OK
    EXPECT_EQ(settings.Filter, "*.*");
    EXPECT_EQ(settings.ShowAttributes, Settings::DefaultShowAttributes);
    EXPECT_FALSE(QFile::exists(path));
}

// A save over defaults would replace a file that is there but cannot be read.
TEST(LoadSettingsTest, AFileThatCannotBeReadIsNotTakenForMissing)
{
    TempFolder folder;
    const QString path = folder.filePath("folder.txt");
    QDir().mkpath(path);
    ScriptedMessageService messages;
    Settings settings;
    EXPECT_FALSE(LoadSettings(settings, path, messages));
    EXPECT_EQ(messages.texts(),
              QStringList("The configuration file\r\n" + path +
                          "\r\ncannot be read. Make it a file that you may read, or name another "
                          "one with --config."));
}

// The command line's path, else the registry's, else beside the program
// where the user may write, else the user's configuration folder.
TEST(ConfigPathTest, CommandLineRegistryProgramUser)
{
    TempFolder folder;
    Registry registry(folder.filePath("registry.ini"));
    QDir().mkpath(folder.filePath("bin"));
    ConfigLocation location{{}, &registry, folder.filePath("bin/Tarvo.exe"), folder.filePath("u")};
    EXPECT_EQ(GetConfigFilePath(location), folder.filePath("bin/Tarvo.txt"));
    location.executablePath = "/nonexistent/bin/tarvo";
    EXPECT_EQ(GetConfigFilePath(location), folder.filePath("u") + "/tarvo.txt");
    const QString key = QString::fromUtf16(RegistryKey);
    ASSERT_TRUE(registry.writeString(key, "Setting", QString(127, 'p'))); // too long for it
    EXPECT_EQ(GetConfigFilePath(location), "");
    ASSERT_TRUE(registry.writeString(key, "Setting", "/srv/t.txt"));
    EXPECT_EQ(GetConfigFilePath(location), "/srv/t.txt");
    location.explicitPath = "/given.txt";
    EXPECT_EQ(GetConfigFilePath(location), "/given.txt");
}

} // namespace
