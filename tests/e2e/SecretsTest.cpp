// What the program shows and writes must never carry a password, and the
// file that keeps them stays its owner's alone.
#include "config/ConfigStore.h"
#include "core/filelist/FileListBuilder.h"
#include "core/filelist/FileTypeIcons.h"
#include "core/transfer/SendRequest.h"
#include "tests/support/RunFixture.h"

#include <gtest/gtest.h>
#include <QProcess>

namespace tarvo::test {
namespace {

const QString WrongPassword = QStringLiteral("Wrong-Pass,word;7");
const QString FarPassword = QStringLiteral("Far-Away-Secret-9");

QFileDevice::Permissions ownerGroupOther(const QString& path)
{
    return QFile::permissions(path) & QFileDevice::Permissions(0x7077);
}

TEST(ConfigFileModeTest, StaysOwnerOnlyAcrossSaves)
{
    TempFolder folder;
    ScriptedMessageService messages;
    Settings settings;
    settings.Sessions.insert(QStringLiteral("S"),
                             QStringLiteral("Net,Put,\\\\pc\\d,W,\\,\\,None,,u,pw"));
    const QString path = folder.write(QStringLiteral("tarvo.txt"), "[Setting]\r\n");
    // A file that somebody opened to everybody is closed again by the next save.
    QFile::setPermissions(path, QFileDevice::Permissions(0x6666));
    for (int save = 0; save < 2; ++save) {
        ASSERT_TRUE(SaveSettings(settings, path, messages));
        EXPECT_EQ(ownerGroupOther(path), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    Settings loaded;
    LoadSettingsFromFile(loaded, path);
    EXPECT_EQ(loaded.Sessions.value(QStringLiteral("S")),
              settings.Sessions.value(QStringLiteral("S")));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("tarvo.txt")});
}

// A Put session to the test share with a wrong password, and a Get session
// on a server that nobody answers for.
class PasswordsNeverShowTest : public RunFixture
{
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        writeDevice(QStringLiteral("\\Out\\a.txt"), "a");
        makeShareFolder(QStringLiteral("in"));
        addSession(QStringLiteral("Office"),
                   line(QStringLiteral("Put"), QStringLiteral("\\Out"), QStringLiteral("\\in"),
                        QStringLiteral("Del"), {}, WrongPassword));
        addSession(QStringLiteral("Far"),
                   QStringLiteral("Net,Get,\\\\127.0.0.1:1\\share,WG,\\In,\\,None,,tester,") +
                       FarPassword);
        config = folder.write(QStringLiteral("tarvo.txt"), SettingsFileBytes(params.settings));
    }

    QByteArray tarvo(const QStringList& arguments)
    {
        QProcess process;
        process.setStandardInputFile(QProcess::nullDevice());
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral(TARVO_EXECUTABLE),
                      QStringList{QStringLiteral("--config"), config, QStringLiteral("--root"),
                                  platform->devicePaths().root()} +
                          arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        return process.readAll();
    }

    static void expectNoPassword(const QString& text)
    {
        EXPECT_FALSE(text.contains(WrongPassword)) << text.toStdString();
        EXPECT_FALSE(text.contains(FarPassword)) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("Pass,word"))) << text.toStdString();
    }

    TempFolder folder;
    QString config;
};

TEST_F(PasswordsNeverShowTest, NotOnTheCommandLine)
{
    const QByteArray shown = tarvo({QStringLiteral("config"), QStringLiteral("show")});
    EXPECT_TRUE(shown.contains("Office=Net,Put,")) << shown.constData();
    expectNoPassword(QString::fromUtf8(shown));
    expectNoPassword(QString::fromUtf8(tarvo({QStringLiteral("sessions")})));
    expectNoPassword(QString::fromUtf8(tarvo({QStringLiteral("list")})));
    const QByteArray sent = tarvo({QStringLiteral("send"), QStringLiteral("--yes")});
    EXPECT_TRUE(sent.contains("Failed to map to network share")) << sent.constData();
    expectNoPassword(QString::fromUtf8(sent));
}

TEST_F(PasswordsNeverShowTest, NotInTheMessagesOfARefreshOrATransfer)
{
    FileTypeIcons icons;
    const FileRows rows = BuildFileList(
        params.settings, {platform->files(), platform->connections(), messages, icons});
    params.entries = BuildTransferList(rows);
    params.entries.append(QStringLiteral("Far,\\\\127.0.0.1:1\\share\\x.txt"));
    run();
    EXPECT_GE(messages.texts().filter(QStringLiteral("Failed to map")).size(), 2)
        << messages.texts().join('\n').toStdString();
    expectNoPassword(messages.texts().join('\n'));
    for (const ShownFile& file : observer.files())
        expectNoPassword(file.sourceFolder + file.targetFolder + file.fileName);
    expectNoPassword(observer.events().join('\n'));
}

} // namespace
} // namespace tarvo::test
