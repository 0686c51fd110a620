// Loading and saving the configuration: values as written, the Yes/No
// rules, the question for a missing file, where the file is, and a save
// that loses nothing.
#include "config/ConfigStore.h"
#include "config/StartOptions.h"
#include "platform/Registry.h"
#include "tests/support/ScriptedMessageService.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>
#include <QSettings>

namespace tarvo::test {
namespace {

Settings Loaded(const QByteArray& bytes, const QStringList& defaultSession = {})
{
    Settings settings;
    settings.DefaultSession = defaultSession;
    LoadSettingsFromBytes(settings, bytes);
    return settings;
}

// "No" or "N", then "Yes" or "Y", in any case; anything else leaves the
// value; a file without the Show keys shows no file that has an attribute.
TEST(LoadSettingsTest, ValuesAsWrittenAndDefaults)
{
    // DefaultChoice, the Show* mask and DefaultSelect of each [Setting] section.
    for (const auto& [keys, values] :
         {std::pair{"", "2 0 1"},
          {"DefaultChoice=None\r\nShowHidden=YES\r\nDefaultSelect=No", "0 2 0"},
          {"DefaultChoice=n\r\nShowInRom=y\r\nShowReadonly=Y\r\nShowHidden=x", "4 43 1"}}) {
        const Settings settings = Loaded(QByteArray("[Setting]\r\n") + keys);
        EXPECT_EQ(QString("%1 %2 %3")
                      .arg(settings.DefaultChoice)
                      .arg(settings.ShowAttributes, 0, 16)
                      .arg(settings.DefaultSelect),
                  values);
    }

    const Settings sessions = Loaded("[Setting]\r\nDefaultSession=a,,b,\r\n[Session]\r\n"
                                     "zeta=Ftp,Get,x\r\nOffice=Net,Put,\\\\pc\\docs\r\nalpha=\r\n",
                                     {"kept"});
    EXPECT_EQ(sessions.DefaultSession, QStringList({"kept", "a", "", "b", ""}));
    EXPECT_EQ(sessions.Sessions.names(), QStringList({"zeta", "Office", "alpha"}));

    // A missing file asks; an existing one that cannot be read is not taken
    // for missing, as a save over defaults would replace it.
    TempFolder folder;
    ScriptedMessageService messages;
    Settings settings;
    messages.answerNext(MessageResult::Cancel);
    EXPECT_FALSE(LoadSettings(settings, folder.filePath("absent.txt"), messages));
    EXPECT_TRUE(LoadSettings(settings, folder.filePath("absent.txt"), messages)); // answered OK

    QDir().mkpath(folder.filePath("folder.txt"));
    EXPECT_FALSE(LoadSettings(settings, folder.filePath("folder.txt"), messages));
    EXPECT_EQ(messages.texts().last(), "The configuration file\r\n" +
                                           folder.filePath("folder.txt") +
                                           "\r\ncannot be read. Make it a file that you may "
                                           "read, or name another one with --config.");
}

// The command line's path, else the registry's (from a registry file written
// by hand, then set by the program), else beside the program where the user
// may write, else the user's configuration folder. The README named on the
// About page: the installed one beside the program, else the source tree's
// (this one), found also through links.
TEST(LoadSettingsTest, ConfigPathCommandLineRegistryProgramUserAndTheReadme)
{
    TempFolder folder;
    Registry registry(folder.filePath("registry.ini"));
    QDir().mkpath(folder.filePath("bin"));
    ConfigLocation location{{}, &registry, folder.filePath("bin/Tarvo.exe"), folder.filePath("u")};
    EXPECT_EQ(GetConfigFilePath(location), folder.filePath("bin/Tarvo.txt"));
    location.executablePath = "/nonexistent/bin/tarvo";
    EXPECT_EQ(GetConfigFilePath(location), folder.filePath("u") + "/tarvo.txt");
    folder.write("registry.ini", "; by hand\n[Software]\nQuenda\\Tarvo\\Setting=/home/alice/"
                                 "tarvo.txt\nQuenda\\Other=a, b\n");
    EXPECT_EQ(GetConfigFilePath(location), "/home/alice/tarvo.txt");
    const QString key = QString::fromUtf16(RegistryKey);
    // File times tick every few milliseconds: values of one size written
    // within one tick must still read apart.
    for (int i = 0; i < 40; ++i) {
        ASSERT_TRUE(registry.writeString(key, "Setting", QString("/srv/%1.txt").arg(i % 10)));
        ASSERT_EQ(GetConfigFilePath(location), QString("/srv/%1.txt").arg(i % 10));
    }
    EXPECT_EQ(QSettings(registry.file(), QSettings::IniFormat).value("Software/Quenda/Other"),
              QStringList({"a", "b"})); // what the user wrote stays
    ASSERT_TRUE(registry.writeString(key, "Setting", QString(127, 'p'))); // too long for it
    EXPECT_EQ(GetConfigFilePath(location), "");
    ASSERT_TRUE(registry.writeString(key, "Setting", "/srv/t.txt"));
    EXPECT_EQ(GetConfigFilePath(location), "/srv/t.txt");
    location.explicitPath = "/given.txt";
    EXPECT_EQ(GetConfigFilePath(location), "/given.txt");

    StartOptions options;
    options.executablePath = folder.write("usr/bin/tarvo", "");
    const QString sourceReadme = QFileInfo(TARVO_SOURCE_DIR "/README.md").canonicalFilePath();
    ASSERT_FALSE(sourceReadme.isEmpty());
    EXPECT_EQ(options.readmePath(), sourceReadme);
    folder.write("usr/share/doc/tarvo/README.md", "# Tarvo");
    EXPECT_EQ(options.readmePath(), folder.filePath("usr/share/doc/tarvo/README.md"));
    ASSERT_TRUE(QFile::link(folder.filePath("usr/bin"), folder.filePath("link")));
    options.executablePath = folder.filePath("link/tarvo");
    EXPECT_EQ(options.readmePath(), folder.filePath("usr/share/doc/tarvo/README.md"));
    options.executablePath.clear(); // as when the window was not told its path
    EXPECT_EQ(options.readmePath(), sourceReadme);
}

// A loaded file is saved as it was: a value that reading would change (a
// ";" starts a comment, blanks at the ends are trimmed) is written in
// quotes, any other as it is. Written beside the old file and renamed over
// it, readable by its owner only, through a link into the file it names. A
// save that fails (a folder in the file's place, no folder, a disk that
// fills up after a few bytes or before the first) keeps the old file byte
// for byte, leaves no temporary file, and says which file and why.
TEST(SaveSettingsTest, ReplacesTheFileWholeForItsOwnerOnlyOrNotAtAll)
{
    const QByteArray sample =
        "\r\n; Specify default settings\r\n[Setting]\r\nEnableOption=Yes\r\n"
        "DefaultChoice=None\r\nFilter=\"*.txt\"\r\nFilterExclude=No\r\nTreeSpeed=No\r\n"
        "DefaultSelect=Yes\r\nShowFolder=No\r\nShowArchive=Yes\r\n"
        "ShowHidden=Yes\r\nShowReadonly=Yes\r\nShowSystem=Yes\r\nShowInRom=No\r\n"
        "DefaultSession=B\xC3\xBCro,,Home\r\n\r\n; Specify network share information\r\n"
        "; session=share,domain,ppc folder,pc folder,post op,post folder,username,password\r\n"
        "[Session]\r\nB\xC3\xBCro=\"Net,Put,\\\\pc\\docs,WG,\\My,\\,Move,\\Sent,g,pa;s \"\r\n"
        "Home=Net,Get,\\\\nas\\home,WG,\\In,\\Out,None,,me,x\r\nOld=Ftp,Put,ftp.example.com\r\n";
    TempFolder folder;
    const QString path = folder.write("tarvo.txt", "old content");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ReadOther | QFileDevice::ReadGroup);
    ASSERT_TRUE(QFile::link("tarvo.txt", folder.filePath("link.txt")));
    ScriptedMessageService messages;
    ASSERT_TRUE(SaveSettings(Loaded(sample), folder.filePath("link.txt"), messages));
    EXPECT_EQ(TempFolder::read(path), sample);
    EXPECT_TRUE(QFileInfo(folder.filePath("link.txt")).isSymLink());
    EXPECT_EQ(QFile::permissions(path) & QFileDevice::Permissions(0x7077),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    Settings edited;
    edited.Sessions.insert("Office", "Net,Put,\\\\pc\\docs,WG,\\Out,\\In,None,,alice,secret");
    QDir().mkpath(folder.filePath("dir.txt"));
    EXPECT_FALSE(SaveSettings(edited, folder.filePath("dir.txt"), messages));
    EXPECT_FALSE(SaveSettings(edited, folder.filePath("no/such/tarvo.txt"), messages));
    for (const rlim_t room : {100, 0}) {
        const FileSizeLimit diskFull(room);
        EXPECT_FALSE(SaveSettings(edited, folder.filePath("link.txt"), messages));
    }
    const QString failed = "Failed to write the configuration file " + folder.path() + '/';
    const QString full = "link.txt\r\nThere is not enough space left on the disk.";
    EXPECT_EQ(messages.texts(),
              QStringList({failed + "dir.txt\r\nAccess is denied.",
                           failed + "no/such/tarvo.txt\r\nThe folder does not exist.",
                           failed + full, failed + full}));
    EXPECT_EQ(TempFolder::read(path), sample);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"dir.txt", "link.txt", "tarvo.txt"}));
}

} // namespace
} // namespace tarvo::test
