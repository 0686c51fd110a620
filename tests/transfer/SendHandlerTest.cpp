#include "transfer/SendHandler.h"

#include "platform/PlatformServices.h"
#include "tests/support/SambaServer.h"
#include "tests/support/TempFiles.h"
#include "tests/ui/MessageBoxWatcher.h"
#include "transfer/ProgressDlg.h"
#include "transfer/ReplaceDlg.h"
#include "ui/FileListCtrl.h"
#include "ui/SendApp.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace tarvo::test {
namespace {

// The main window with Send plugged in, on a real configuration file, a
// device root of real files and the test Samba server, answered by a user
// who ends the Progress dialog with Done and answers the replace question.
class SendHandlerTest : public SambaTest
{
protected:
    void SetUp() override
    {
        SambaTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        m_device.write(QStringLiteral("docs/a.txt"), "a");
        m_device.write(QStringLiteral("docs/b.txt"), "b");
        QDir().mkpath(samba().shareFolder() + QStringLiteral("/out"));
        QObject::connect(&m_user, &QTimer::timeout, &m_user, [this] { actAsUser(); });
        m_user.start(20);
    }

    CSendDlg& open(const QString& settings, const QString& postOp)
    {
        const QString share = samba().shareText();
        const QString line = QStringLiteral("Net,Put,%1,WG,\\docs,\\out,%2,,tester,%3")
                                 .arg(share, postOp, samba().password());
        const QString config = m_device.write(
            QStringLiteral("tarvo.txt"),
            QStringLiteral("[Setting]\r\n%1\r\nDefaultSession=Office\r\n[Session]\r\nOffice=%2\r\n")
                .arg(settings, line)
                .toLocal8Bit());
        app = std::make_unique<CSendApp>(config, m_device.path());
        EXPECT_TRUE(app->InitSockets());
        EXPECT_TRUE(app->LoadConfiguration());
        app->CreateImageLists();
        window = std::make_unique<CSendDlg>(*app, CSendDlg::Handlers{OnSend, {}, {}});
        QSignalSpy refreshed(window.get(), &CSendDlg::refreshFinished);
        window->show();
        EXPECT_TRUE(refreshed.wait(10000));
        return *window;
    }

    void send()
    {
        QSignalSpy refreshed(window.get(), &CSendDlg::refreshFinished);
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("sendButton")),
                          Qt::LeftButton);
        m_refreshedAfterSend =
            refreshed.count() > 0 || refreshed.wait(progressDialogs ? 5000 : 300);
    }

    QByteArray onShare(const QString& name) const
    {
        return TempFolder::read(samba().shareFolder() + QStringLiteral("/out/") + name);
    }

    MessageBoxWatcher boxes;
    std::unique_ptr<CSendApp> app;
    std::unique_ptr<CSendDlg> window;
    int progressDialogs = 0;
    QStringList replaceQuestions;
    bool m_refreshedAfterSend = false;
    QString summary;

private:
    void actAsUser()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* progress = qobject_cast<CProgressDlg*>(modal)) {
            auto* done = progress->findChild<QPushButton*>(QStringLiteral("done"));
            if (done->isVisible()) {
                ++progressDialogs;
                summary = progress->findChild<QLabel*>(QStringLiteral("summary"))->text();
                done->click();
            }
        } else if (auto* replace = qobject_cast<CReplaceDlg*>(modal)) {
            replaceQuestions.append(replace->findChild<QLabel*>(QStringLiteral("message"))->text());
            replace->findChild<QPushButton*>(QStringLiteral("Yes To All"))->click();
        }
    }

    TempFolder m_device;
    QTimer m_user;
};

TEST_F(SendHandlerTest, SendsTheSelectedRowsAndRefreshesAfterDone)
{
    open(QStringLiteral("DefaultSelect=Yes"), QStringLiteral("None"));
    send();

    EXPECT_EQ(progressDialogs, 1);
    EXPECT_EQ(summary, QStringLiteral("2 of 2 files are transferred successfully"));
    EXPECT_EQ(onShare(QStringLiteral("a.txt")), "a");
    EXPECT_EQ(onShare(QStringLiteral("b.txt")), "b");
    EXPECT_TRUE(m_refreshedAfterSend);
    EXPECT_TRUE(boxes.texts().isEmpty());
}

TEST_F(SendHandlerTest, RefusesWhenNoRowIsSelected)
{
    open(QStringLiteral("DefaultSelect=No"), QStringLiteral("None"));
    send();

    EXPECT_EQ(progressDialogs, 0);
    EXPECT_EQ(boxes.texts(), QStringList({QStringLiteral("No items were selected")}));
    EXPECT_EQ(boxes.icons(), QList<QMessageBox::Icon>({QMessageBox::Critical}));
    EXPECT_FALSE(m_refreshedAfterSend);
}

TEST_F(SendHandlerTest, TheReplaceQuestionAndMessagesComeFromTheWindowsThread)
{
    // b.txt is on the share already, identical: Sync asks before it replaces it.
    open(QStringLiteral("DefaultSelect=Yes\r\nDefaultChoice=None"), QStringLiteral("Sync"));
    // Same size and last-write time on both sides.
    const QDateTime stamp(QDate(2026, 11, 2), QTime(9, 30), Qt::UTC);
    const QString local = app->platform().devicePaths().toNative(QStringLiteral("\\docs\\b.txt"));
    const QString remote = samba().shareFolder() + QStringLiteral("/out/b.txt");
    ASSERT_TRUE(QFile::copy(local, remote));
    for (const QString& path : {local, remote}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.setFileTime(stamp, QFileDevice::FileModificationTime);
    }
    // a.txt goes after the list was filled: its copy fails with a message.
    ASSERT_TRUE(
        QFile::remove(app->platform().devicePaths().toNative(QStringLiteral("\\docs\\a.txt"))));
    send();

    EXPECT_EQ(boxes.texts(),
              QStringList({QStringLiteral("Failed to copy file \\docs\\a.txt to %1\\out\\a.txt")
                               .arg(samba().shareText())}));
    EXPECT_EQ(replaceQuestions,
              QStringList({QStringLiteral("A file named 'b.txt' already exists.")}));
    EXPECT_EQ(summary, QStringLiteral("1 of 2 files are transferred successfully"));
    EXPECT_TRUE(boxes.allOnGuiThread());
}

} // namespace
} // namespace tarvo::test
