// The demo that the README's first command runs, the way CI runs it: no
// display, so the demo's files are sent with 'tarvo send --yes'.
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

using tarvo::test::TempFolder;

TEST(DemoTest, SendsEveryDemoFileAndMovesTheSentOnes)
{
    if (QStandardPaths::findExecutable("smbd", {"/usr/sbin", "/usr/bin"}).isEmpty())
        GTEST_SKIP() << "Samba (smbd) is not installed";
    TempFolder folder;
    const QString demo = folder.filePath("demo");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.insert("TARVO_REGISTRY", folder.filePath("registry.ini"));
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start("bash",
                  {TARVO_SOURCE_DIR "/scripts/demo.sh", TARVO_BINARY_DIR "/app/tarvo", demo});
    ASSERT_TRUE(process.waitForFinished(120000));
    const QByteArray out = process.readAllStandardOutput();
    const QByteArray err = process.readAllStandardError();
    EXPECT_EQ(process.exitCode(), 0) << out.constData() << err.constData();
    EXPECT_TRUE(out.contains("\n5 of 5 files are transferred successfully\n")) << out.constData();

    // Move put the sent files into the post folder; Get fetched the reports.
    const QDir documents(demo + "/device/My Documents");
    EXPECT_TRUE(documents.entryList({"*.*"}, QDir::Files, QDir::Name) == QStringList());
    EXPECT_EQ(QDir(documents.filePath("Outbox")).entryList(QDir::Files), QStringList());
    EXPECT_EQ(QDir(documents.filePath("Sent")).entryList(QDir::Files, QDir::Name),
              (QStringList{"inventory.csv", "notes.txt", "report.txt"}));
    EXPECT_EQ(QDir(documents.filePath("Inbox")).entryList(QDir::Files, QDir::Name),
              (QStringList{"december.txt", "november.txt"}));
    EXPECT_EQ(QDir(demo + "/samba/share/Incoming").entryList(QDir::Files, QDir::Name),
              (QStringList{"inventory.csv", "notes.txt", "report.txt"}));
    // The demo's server is stopped again when the demo ends.
    EXPECT_FALSE(QFile::exists(demo + "/samba/pid/smbd.pid"));
    EXPECT_FALSE(out.contains("demo-") || err.contains("demo-")) << "the password was shown";
}
