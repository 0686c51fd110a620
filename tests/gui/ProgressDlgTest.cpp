#include "gui/progress/ProgressDlg.h"

#include "platform/PlatformServices.h"
#include "tests/support/DeviceFiles.h"
#include "tests/support/ScriptedMessageService.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <QTest>
#include <QTimer>

namespace tarvo::test {
namespace {

// Holds the worker inside its first question until the test lets it go,
// so the test can try to close the dialog while the run is going on.
class HoldingMessageService : public ScriptedMessageService
{
public:
    MessageResult showMessage(const QString& text, MessageIcon icon,
                              MessageButtons buttons) override
    {
        if (buttons == MessageButtons::OkCancel) {
            m_asked.release();
            m_answer.acquire();
        }
        return ScriptedMessageService::showMessage(text, icon, buttons);
    }

    bool waitUntilAsked() { return m_asked.tryAcquire(1, 10000); }
    void release() { m_answer.release(); }

private:
    QSemaphore m_asked;
    QSemaphore m_answer;
};

class ProgressDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform = PlatformServices::create(device.native(QStringLiteral("\\")));
        ASSERT_TRUE(platform);
        device.makeFolder(QStringLiteral("\\My Documents"));
        for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
            device.write(QStringLiteral("\\Out\\") + QLatin1String(name), name);
            params.entries.append(QStringLiteral("Local,\\Out\\") + QLatin1String(name));
        }
    }

    // A session without a direction copies its entries from \Out into
    // \My Documents on the device, and needs no share.
    void setSession(const QString& postOp)
    {
        params.settings.Sessions.insert(
            QStringLiteral("Local"),
            QStringLiteral("Net,None,\\\\nowhere\\none,WORKGROUP,\\In,\\,%1,,user,").arg(postOp));
        params.settings.DefaultSession = {QStringLiteral("Local")};
    }

    static QString text(const QWidget& dialog, const char* name)
    {
        const auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(name));
        return label ? label->text() : QStringLiteral("<missing>");
    }

    static bool waitFor(const std::function<bool()>& condition)
    {
        QDeadlineTimer deadline(10000);
        while (!condition() && !deadline.hasExpired())
            QTest::qWait(5);
        return condition();
    }

    DeviceFiles device;
    std::unique_ptr<PlatformServices> platform;
    TransferParams params;
};

TEST_F(ProgressDlgTest, ShowsTheRunAndEndsWithDone)
{
    setSession(QStringLiteral("None"));
    ScriptedMessageService messages;
    CProgressDlg dialog(params, platform->files(), platform->connections(), messages);
    auto* bar = dialog.findChild<QProgressBar*>(QStringLiteral("progressBar"));
    auto* done = dialog.findChild<QPushButton*>(QStringLiteral("done"));
    auto* summary = dialog.findChild<QLabel*>(QStringLiteral("summary"));
    ASSERT_TRUE(bar && done && summary);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Progress"));
    EXPECT_EQ(text(dialog, "heading"), QStringLiteral("Transferring file ..."));
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    QStringList captions;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->objectName().isEmpty())
            captions.append(label->text());
    }
    EXPECT_EQ(captions, QStringList({"File:", "Size:", "Modified:", "From:", "To:", "Session:"}));

    QList<int> positions;
    QObject::connect(bar, &QProgressBar::valueChanged,
                     [&positions](int value) { positions.append(value); });
    dialog.show();
    EXPECT_TRUE(done->isHidden());
    EXPECT_TRUE(summary->isHidden());
    ASSERT_TRUE(waitFor([done] { return done->isVisible(); }));

    EXPECT_EQ(positions, QList<int>({33, 66, 100}));
    EXPECT_EQ(summary->text(), QStringLiteral("3 of 3 files are transferred successfully"));
    EXPECT_TRUE(summary->isVisible());
    EXPECT_EQ(text(dialog, "file"), QStringLiteral("c.txt"));
    EXPECT_EQ(text(dialog, "size"), QStringLiteral("5 bytes"));
    EXPECT_FALSE(text(dialog, "modified").isEmpty());
    EXPECT_EQ(text(dialog, "from"), QStringLiteral("\\Out\\"));
    EXPECT_EQ(text(dialog, "to"), QStringLiteral("\\My Documents\\"));
    EXPECT_EQ(text(dialog, "session"), QStringLiteral("Local"));
    EXPECT_EQ(text(dialog, "progressLine"), QStringLiteral("Transferring file 3 of 3 ..."));
    EXPECT_FALSE(dialog.findChild<QLabel*>(QStringLiteral("icon"))->pixmap().isNull());
    EXPECT_EQ(device.names(QStringLiteral("\\My Documents")),
              QStringList({"a.txt", "b.txt", "c.txt"}));

    QTest::mouseClick(done, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
}

// A post-operation that failed is counted on the last line, under the summary.
TEST_F(ProgressDlgTest, CountsFailedPostOperationsUnderTheSummary)
{
    setSession(QStringLiteral("Move")); // into the device's root, where a.txt stands
    device.write(QStringLiteral("\\a.txt"), "taken");
    ScriptedMessageService messages;
    CProgressDlg dialog(params, platform->files(), platform->connections(), messages);
    dialog.show();
    ASSERT_TRUE(waitFor([&dialog] { return !dialog.isRunning(); }));
    EXPECT_EQ(text(dialog, "summary"), QStringLiteral("3 of 3 files are transferred successfully\n"
                                                      "1 post-operation failed"));
}

TEST_F(ProgressDlgTest, CannotBeClosedWhileTheRunGoesOn)
{
    setSession(QStringLiteral("Del"));
    HoldingMessageService messages;
    messages.defaultResult = MessageResult::Cancel;
    CProgressDlg dialog(params, platform->files(), platform->connections(), messages);
    dialog.show();
    ASSERT_TRUE(messages.waitUntilAsked());

    EXPECT_TRUE(dialog.isRunning());
    dialog.close();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QTest::keyClick(&dialog, Qt::Key_Return);
    dialog.reject();
    dialog.accept();
    QTest::qWait(20);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.findChild<QPushButton*>(QStringLiteral("done"))->isHidden());

    for (int i = 0; i < 3; ++i)
        messages.release();
    ASSERT_TRUE(waitFor([&dialog] { return !dialog.isRunning(); }));
    EXPECT_EQ(messages.texts().size(), 3);
    EXPECT_EQ(text(dialog, "summary"), QStringLiteral("3 of 3 files are transferred successfully"));

    // Once the run has ended the dialog closes as any other.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(ProgressDlgTest, RunsModallyUntilDone)
{
    setSession(QStringLiteral("None"));
    ScriptedMessageService messages;
    CProgressDlg dialog(params, platform->files(), platform->connections(), messages);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&dialog] {
        auto* done = dialog.findChild<QPushButton*>(QStringLiteral("done"));
        if (done->isVisible())
            done->click();
    });
    poll.start(10);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
}

} // namespace
} // namespace tarvo::test
