#include "gui/progress/SendHandler.h"

#include "core/filelist/FileListRefresher.h"
#include "gui/main/FileListCtrl.h"
#include "gui/main/SendApp.h"
#include "gui/progress/ProgressDlg.h"
#include "gui/progress/ReplaceDlg.h"
#include "platform/PlatformServices.h"
#include "tests/gui/MessageBoxWatcher.h"
#include "tests/support/SambaServer.h"
#include "tests/support/TempFiles.h"

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

    // Office sends \docs to the share's \out; extraSessions are more lines of
    // the [Session] section, defaultSessions the DefaultSession value.
    CSendDlg& open(const QString& settings, const QString& postOp,
                   const QString& extraSessions = QString(),
                   const QString& defaultSessions = QStringLiteral("Office"))
    {
        const QString share = samba().shareText();
        const QString line = QStringLiteral("Net,Put,%1,WG,\\docs,\\out,%2,,tester,%3")
                                 .arg(share, postOp, samba().password());
        const QString config = m_device.write(
            QStringLiteral("tarvo.txt"),
            QStringLiteral("[Setting]\r\n%1\r\nDefaultSession=%2\r\n[Session]\r\nOffice=%3\r\n%4")
                .arg(settings, defaultSessions, line, extraSessions)
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

    // The session line of Inbox, a Get session of the share's \in, which
    // gets that many empty files: a folder big enough to take a while to list.
    QString inboxSession(int files) const
    {
        const QString inbox = samba().shareFolder() + QStringLiteral("/in");
        QDir().mkpath(inbox);
        for (int i = 0; i < files; ++i) {
            QFile file(inbox + QStringLiteral("/f%1.dat").arg(i));
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        }
        return QStringLiteral("Inbox=Net,Get,%1,WG,\\In,\\in,None,,tester,%2\r\n")
            .arg(samba().shareText(), samba().password());
    }

    void send()
    {
        QSignalSpy refreshed(window.get(), &CSendDlg::refreshFinished);
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("sendButton")),
                          Qt::LeftButton);
        if (progressDialogs > 0) {
            m_refreshedAfterSend = refreshed.count() > 0 || refreshed.wait(5000);
            return;
        }
        // No run: a refresh started by the click has ended or is still running.
        bool marked = false;
        QMetaObject::invokeMethod(
            window.get(), [&marked] { marked = true; }, Qt::QueuedConnection);
        EXPECT_TRUE(QTest::qWaitFor([&marked] { return marked; }));
        m_refreshedAfterSend =
            refreshed.count() > 0 || window->findChild<FileListRefresher*>()->isRunning();
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

    EXPECT_EQ(
        boxes.texts(),
        QStringList({QStringLiteral("Failed to copy file \\docs\\a.txt to %1\\out\\a.txt\r\nThe "
                                    "file does not exist (any more).")
                         .arg(samba().shareText())}));
    EXPECT_EQ(replaceQuestions,
              QStringList({QStringLiteral("A file named 'b.txt' already exists.")}));
    EXPECT_EQ(summary, QStringLiteral("1 of 2 files are transferred successfully"));
    EXPECT_TRUE(boxes.allOnGuiThread());
}

// Send pressed while a refresh still lists a big folder on the share for a
// Get session: the transfer and the listing share the connection table and
// the SMB library, the transfer's files arrive, and the refresh after Done
// lists every file once.
TEST_F(SendHandlerTest, SendDuringARefreshOfAShareSendsAndTheListEndsWhole)
{
    constexpr int ShareFiles = 3000;
    CSendDlg& window = open(QStringLiteral("DefaultSelect=No"), QStringLiteral("None"),
                            inboxSession(ShareFiles), QStringLiteral("Office,Inbox"));
    FileListModel& model = window.fileList().model();
    ASSERT_EQ(model.rowCount(), ShareFiles + 2);

    // Office is listed first: its two rows arrive while the share is still being listed.
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("refreshButton")),
                      Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.rowCount() >= 2; }, 10000));
    // a.txt and b.txt sort before the share's files, so they stay rows 0 and 1.
    CFileListCtrl& list = window.fileList();
    for (int row : {0, 1})
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.visualRect(model.index(row, 1)).center());
    ASSERT_EQ(list.selectedRows(), (QList<int>{0, 1}));
    send();

    EXPECT_EQ(progressDialogs, 1);
    EXPECT_EQ(summary, QStringLiteral("2 of 2 files are transferred successfully"));
    EXPECT_EQ(onShare(QStringLiteral("a.txt")), "a");
    EXPECT_EQ(onShare(QStringLiteral("b.txt")), "b");
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'\n').toStdString();

    auto* refresher = window.findChild<FileListRefresher*>();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !refresher->isRunning(); }, 20000));
    QSet<QString> seen;
    for (const FileRow& row : model.rows())
        seen.insert(row.session + u'/' + row.name);
    EXPECT_EQ(model.rowCount(), ShareFiles + 2);
    EXPECT_EQ(seen.size(), ShareFiles + 2);
    EXPECT_TRUE(seen.contains(QStringLiteral("Office/a.txt")));
    EXPECT_TRUE(seen.contains(QStringLiteral("Inbox/f0.dat")));
}

} // namespace
} // namespace tarvo::test
