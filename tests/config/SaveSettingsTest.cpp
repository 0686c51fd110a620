// The saved file's bytes, values that read back exactly, and a save that
// loses nothing: atomic, owner-only, and a failure that says so.
#include "config/ConfigStore.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScriptedMessageService.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

using namespace tarvo;
using tarvo::test::ScriptedMessageService;
using tarvo::test::TempFolder;

namespace {

const QByteArray Sample =
    "\r\n; Specify default settings\r\n[Setting]\r\nEnableOption=Yes\r\n"
    "DefaultChoice=None\r\nFilter=*.*\r\nFilterExclude=No\r\nTreeSpeed=No\r\n"
    "DefaultSelect=Yes\r\nShowFolder=No\r\nShowArchive=Yes\r\n"
    "ShowHidden=Yes\r\nShowReadonly=Yes\r\nShowSystem=Yes\r\nShowInRom=No\r\n"
    "DefaultSession=B\xC3\xBCro,,Home\r\n\r\n"
    "; Specify network share information\r\n"
    "; session=share,domain,ppc folder,pc folder,post op,post folder,"
    "username,password\r\n[Session]\r\n"
    "B\xC3\xBCro=Net,Put,\\\\pc\\docs,WG,\\My Documents,\\,Move,\\Sent,g,pa,ss\r\n"
    "Home=Net,Get,\\\\nas\\home,WG,\\In,\\Out,None,,me,x\r\n"
    "Legacy=Ftp,Put,ftp.example.com,21\r\n";

TEST(SaveSettingsTest, ALoadedFileIsSavedAsItWas)
{
    Settings settings;
    LoadSettingsFromBytes(settings, Sample);
    EXPECT_EQ(SettingsFileBytes(settings), Sample);
}

class QuotedValueTest : public ::testing::TestWithParam<QString>
{};

// A value that reading would change (a ";" starts a comment, blanks at the
// ends are trimmed) is written in quotes; any other is written as it is.
TEST_P(QuotedValueTest, ReadsBackExactly)
{
    Settings settings;
    settings.Filter = GetParam();
    settings.Sessions.insert("S", "Net,Put,\\\\pc\\d,W,\\L,\\,None,,u," + GetParam());
    Settings loaded;
    LoadSettingsFromBytes(loaded, SettingsFileBytes(settings));
    EXPECT_EQ(loaded.Filter, settings.Filter);
    EXPECT_EQ(loaded.Sessions.value("S"), settings.Sessions.value("S"));
}

INSTANTIATE_TEST_SUITE_P(Values, QuotedValueTest,
                         ::testing::Values("*.txt;*.doc", " leading", "trailing\t", "\"quoted\"",
                                           "\" a\"", "\"", "\"\" ; \"\"", QString(3000, 'L')));

// Written beside the old file and renamed over it, readable by its owner only.
TEST(SaveSettingsTest, ReplacesTheFileWholeForItsOwnerOnly)
{
    TempFolder folder;
    const QString path = folder.write("tarvo.txt", "old content");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ReadOther | QFileDevice::ReadGroup);
    ScriptedMessageService messages;
    ASSERT_TRUE(SaveSettings(Settings(), path, messages));
    EXPECT_TRUE(TempFolder::read(path).startsWith("\r\n; Specify default settings\r\n"));
    EXPECT_EQ(QFile::permissions(path) & QFileDevice::Permissions(0x7077),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList("tarvo.txt"));
}

TEST(SaveSettingsTest, AFailedSaveSaysWhichFile)
{
    TempFolder folder;
    const QString path = folder.filePath("no/such/folder/tarvo.txt");
    ScriptedMessageService messages;
    EXPECT_FALSE(SaveSettings(Settings(), path, messages));
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_TRUE(messages.texts().first().startsWith("Failed to write the configuration file " +
                                                    path + "\r\n"));
    EXPECT_EQ(messages.messages().first().icon, MessageIcon::Error);
}

} // namespace
