#include "gui/progress/ProgressDlg.h"

#include "gui/main/GuiMessageService.h"
#include "gui/widgets/ElidedLabel.h"
#include "tests/gui/ClippedTexts.h"
#include "tests/gui/ModalScript.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/ScriptedMessageService.h"

#include <atomic>
#include <gtest/gtest.h>
#include <QCheckBox>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSemaphore>
#include <QTest>
#include <QTimer>

namespace tarvo::test {
namespace {

constexpr quint64 MiB = 1 << 20;
const char* const Cancelled = "The run was cancelled; the files after it were not started.";

class ProgressDlgTest : public ::testing::Test
{
protected:
    void SetUp() override { files.addFolder(QStringLiteral("\\My Documents")); }

    // Files in \Out, each an entry of the session Local.
    void addFiles(const QStringList& names, const QString& session = QStringLiteral("Local"))
    {
        for (const QString& name : names) {
            files.addFile(QStringLiteral("\\Out\\") + name, name.toUtf8());
            params.entries.append(session + QStringLiteral(",\\Out\\") + name);
        }
    }

    // A session without a direction copies its entries into \My Documents
    // on the device, and needs no share.
    void addSession(const QString& postOp, const QString& name = QStringLiteral("Local"))
    {
        params.settings.Sessions.insert(
            name,
            QStringLiteral("Net,None,\\\\nowhere\\none,WORKGROUP,\\In,\\,%1,,user,").arg(postOp));
        params.settings.DefaultSession.append(name);
    }

    // A file of `size` bytes, an entry of the session Local, whose copy
    // stops once a MiB of it has arrived until the test lets it go on.
    void addPausedFile(const QString& devicePath, quint64 size)
    {
        files.addFile(devicePath, QByteArray());
        files.setSize(devicePath, size);
        params.entries.append(QStringLiteral("Local,") + devicePath);
        files.setBlockHook([this, devicePath](const QString& source) {
            if (source.endsWith(devicePath) && m_bytes.fetch_add(64 * 1024) + 64 * 1024 == MiB) {
                m_paused.release();
                m_goOn.acquire();
            }
        });
    }
    bool waitUntilPaused() { return m_paused.tryAcquire(1, 10000); }
    void goOn()
    {
        if (!m_released.exchange(true))
            m_goOn.release();
    }

    static QString text(const QWidget& dialog, const char* name)
    {
        const auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(name));
        if (const auto* elided = qobject_cast<const ElidedLabel*>(label))
            return elided->fullText();
        return label ? label->text() : QStringLiteral("<missing>");
    }
    template <typename Widget> static Widget* child(const QWidget& dialog, const char* name)
    {
        return dialog.findChild<Widget*>(QString::fromLatin1(name));
    }

    static bool waitFor(const std::function<bool()>& condition)
    {
        return QTest::qWaitFor(condition, 10000);
    }

    MemoryFileSystem files;
    TransferParams params;

private:
    std::atomic<quint64> m_bytes{0};
    std::atomic_bool m_released{false};
    QSemaphore m_paused;
    QSemaphore m_goOn;
};

TEST_F(ProgressDlgTest, ShowsTheRunAndEndsWithDone)
{
    addSession(QStringLiteral("None"));
    addFiles({"a.txt", "b.txt", "c.txt"});
    ScriptedMessageService messages;
    CProgressDlg dialog(params, files, files, messages);
    auto* bar = child<QProgressBar>(dialog, "progressBar");
    auto* done = child<QPushButton>(dialog, "done");
    auto* cancel = child<QPushButton>(dialog, "cancel");
    auto* summary = child<QLabel>(dialog, "summary");
    ASSERT_TRUE(bar && done && cancel && summary);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Progress"));
    EXPECT_EQ(text(dialog, "heading"), QStringLiteral("Transferring file ..."));

    QList<int> positions;
    QObject::connect(bar, &QProgressBar::valueChanged,
                     [&positions](int value) { positions.append(value); });
    dialog.show();
    EXPECT_TRUE(done->isHidden());
    EXPECT_TRUE(summary->isHidden());
    EXPECT_TRUE(cancel->isVisible());
    ASSERT_TRUE(waitFor([done] { return done->isVisible(); }));

    // The bar only goes forward, and ends full.
    EXPECT_TRUE(std::is_sorted(positions.cbegin(), positions.cend()));
    EXPECT_EQ(bar->value(), 100);
    EXPECT_TRUE(cancel->isHidden());
    EXPECT_EQ(summary->text(), QStringLiteral("3 of 3 files are transferred successfully"));
    EXPECT_TRUE(summary->isVisible());
    EXPECT_EQ(text(dialog, "file"), QStringLiteral("c.txt"));
    EXPECT_EQ(text(dialog, "size"), QStringLiteral("5 bytes"));
    EXPECT_FALSE(text(dialog, "modified").isEmpty());
    EXPECT_EQ(text(dialog, "from"), QStringLiteral("\\Out\\"));
    EXPECT_EQ(text(dialog, "to"), QStringLiteral("\\My Documents\\"));
    EXPECT_EQ(text(dialog, "session"), QStringLiteral("Local"));
    EXPECT_EQ(text(dialog, "progressLine"), QStringLiteral("Transferring file 3 of 3 ..."));
    EXPECT_FALSE(child<QLabel>(dialog, "icon")->pixmap().isNull());
    EXPECT_TRUE(child<QListWidget>(dialog, "failures")->isHidden());
    EXPECT_EQ(files.names(QStringLiteral("\\My Documents")),
              QStringList({"a.txt", "b.txt", "c.txt"}));

    QTest::mouseClick(done, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
}

// A post-operation that failed is counted on the last line, under the summary.
TEST_F(ProgressDlgTest, CountsFailedPostOperationsUnderTheSummary)
{
    addSession(QStringLiteral("Move")); // into the device's root, where a.txt stands
    addFiles({"a.txt", "b.txt", "c.txt"});
    files.addFile(QStringLiteral("\\a.txt"), "taken");
    ScriptedMessageService messages;
    CProgressDlg dialog(params, files, files, messages);
    dialog.show();
    ASSERT_TRUE(waitFor([&dialog] { return !dialog.isRunning(); }));
    EXPECT_EQ(text(dialog, "summary"), QStringLiteral("3 of 3 files are transferred successfully\n"
                                                      "1 post-operation failed"));
}

// Cancel in the middle of a big file: the bar and the bytes show how far
// the copy came; then its part goes, the old target stays whole, Del leaves
// the source, the next session's file is not started, and the summary says
// what was done.
TEST_F(ProgressDlgTest, CancelInTheMiddleOfAFileAbandonsItAndStartsNothingMore)
{
    addSession(QStringLiteral("Del"));
    addSession(QStringLiteral("Del"), QStringLiteral("Later"));
    addPausedFile(QStringLiteral("\\Out\\big.bin"), 8 * MiB);
    params.sizes = {8 * MiB, 5};
    addFiles({"c.txt"}, QStringLiteral("Later"));
    ScriptedMessageService messages;
    CProgressDlg dialog(params, files, files, messages);
    const auto letGo = qScopeGuard([this] { goOn(); });
    auto* bar = child<QProgressBar>(dialog, "progressBar");
    auto* cancel = child<QPushButton>(dialog, "cancel");

    dialog.show();
    ASSERT_TRUE(waitUntilPaused());
    EXPECT_TRUE(waitFor([&] { return text(dialog, "fileBytes") == "This file: 1.0 MB of 8.0 MB"; }))
        << text(dialog, "fileBytes").toStdString();
    EXPECT_TRUE(waitFor([&] { return bar->value() > 0; }));
    EXPECT_LT(bar->value(), 50);
    EXPECT_TRUE(waitFor([&] { return !text(dialog, "speed").isEmpty(); }));

    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_TRUE(dialog.isRunning());
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_EQ(text(dialog, "speed"), QStringLiteral("Stopping the run ..."));
    goOn();
    ASSERT_TRUE(waitFor([&dialog] { return !dialog.isRunning(); }));

    EXPECT_EQ(text(dialog, "summary"),
              QStringLiteral("0 of 2 files are transferred successfully\n") + Cancelled);
    EXPECT_EQ(text(dialog, "progressLine"), QStringLiteral("Transferring file 1 of 2 ..."));
    EXPECT_TRUE(files.names(QStringLiteral("\\My Documents")).isEmpty());
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(u'\n').toStdString();
    EXPECT_TRUE(child<QPushButton>(dialog, "done")->isVisible());
    EXPECT_TRUE(cancel->isHidden());
}

// Escape and the close box ask first during a run: No goes on, Yes stops.
// Enter does nothing. Once the run has ended they close the dialog.
TEST_F(ProgressDlgTest, EscapeAndTheCloseBoxAskWhetherToCancelTheRun)
{
    addSession(QStringLiteral("None"));
    addPausedFile(QStringLiteral("\\Out\\big.bin"), 4 * MiB);
    ScriptedMessageService messages;
    CProgressDlg dialog(params, files, files, messages);
    const auto letGo = qScopeGuard([this] { goOn(); });
    QStringList questions;
    const auto answer = [&questions](QMessageBox::StandardButton button) {
        return [&questions, button](QDialog& asked) {
            auto* box = qobject_cast<QMessageBox*>(&asked);
            questions.append(box ? box->text() : QStringLiteral("<not a box>"));
            if (box)
                box->button(button)->click();
        };
    };
    ModalScript user({answer(QMessageBox::No), answer(QMessageBox::Yes)});
    dialog.show();
    ASSERT_TRUE(waitUntilPaused());

    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_EQ(user.dialogsSeen(), 0);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    ASSERT_EQ(user.dialogsSeen(), 1);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(child<QPushButton>(dialog, "cancel")->isEnabled());

    EXPECT_FALSE(dialog.close());
    ASSERT_EQ(user.dialogsSeen(), 2);
    EXPECT_EQ(questions.first(), questions.last());
    EXPECT_TRUE(questions.first().startsWith(QStringLiteral("Cancel the run?")));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(child<QPushButton>(dialog, "cancel")->isEnabled());
    // Once it is stopping there is nothing left to ask.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(user.dialogsSeen(), 2);

    goOn();
    ASSERT_TRUE(waitFor([&dialog] { return !dialog.isRunning(); }));
    EXPECT_EQ(text(dialog, "summary"),
              QStringLiteral("0 of 1 files are transferred successfully\n") + Cancelled);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(user.dialogsSeen(), 2);
}

// From the second failure box of a run on, the box offers to show no more;
// the later failures are listed and counted in the dialog, and every box
// stands on the dialog, not on the window beneath it.
TEST_F(ProgressDlgTest, FailuresThatTheUserChoseNotToSeeAreListedInTheDialog)
{
    addSession(QStringLiteral("None"));
    files.addFolder(QStringLiteral("\\Out"));
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) // none of them is there
        params.entries.append(QStringLiteral("Local,\\Out\\") + QLatin1String(name));
    QWidget window;
    window.show();
    GuiMessageService messages;
    messages.setParentWindow(&window);
    CProgressDlg dialog(params, files, files, messages);
    messages.beginRun([&dialog](const QString& failure) { dialog.listFailure(failure); });

    // The user answers each box with OK, and ticks the offer at the second.
    QList<QWidget*> parents;
    QStringList offers;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        parents.append(box->parentWidget());
        offers.append(box->checkBox() ? box->checkBox()->text() : QString());
        if (box->checkBox())
            box->checkBox()->setChecked(true);
        box->button(QMessageBox::Ok)->click();
    });
    user.start(10);
    // As Send runs it: modal, over the main window.
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    ASSERT_TRUE(waitFor([&dialog] { return !dialog.isRunning(); }));
    messages.endRun();

    EXPECT_EQ(offers, QStringList({QString(), QStringLiteral("Don't show again in this run")}));
    EXPECT_EQ(parents, (QList<QWidget*>{&dialog, &dialog}));
    auto* failures = child<QListWidget>(dialog, "failures");
    ASSERT_TRUE(failures->isVisible());
    ASSERT_EQ(failures->count(), 2);
    EXPECT_EQ(failures->item(0)->text(),
              QStringLiteral("Failed to copy file \\Out\\c.txt to \\My Documents\\c.txt\n"
                             "The file does not exist (any more)."));
    EXPECT_TRUE(
        failures->item(1)->text().startsWith(QStringLiteral("Failed to copy file \\Out\\d.txt")));
    EXPECT_EQ(text(dialog, "failureCount"),
              QStringLiteral("2 further failures were not shown as boxes:"));
    EXPECT_EQ(text(dialog, "summary"), QStringLiteral("0 of 4 files are transferred successfully"));
    // The list has room for a few lines, under the summary.
    EXPECT_GE(failures->height(), failures->minimumHeight());
    EXPECT_GT(failures->y(), child<QLabel>(dialog, "summary")->y());
}

// No text of the dialog is cut off, with a long name, a big size, the
// cancelled summary and a list of failures, at the usual font and at one
// twice as large (as on a screen scaled to 2x).
class ProgressDlgFontTest : public ProgressDlgTest, public ::testing::WithParamInterface<int>
{
protected:
    void SetUp() override
    {
        ProgressDlgTest::SetUp();
        QFont font = m_font;
        font.setPointSizeF(font.pointSizeF() * GetParam());
        QApplication::setFont(font);
    }
    void TearDown() override { QApplication::setFont(m_font); }

private:
    const QFont m_font = QApplication::font();
};

TEST_P(ProgressDlgFontTest, NoTextIsCut)
{
    addSession(QStringLiteral("None"));
    const QString name = QStringLiteral("A rather long name for a file that a user sends.bin");
    const QString folder = QStringLiteral("\\Out\\Projects\\Customer reports\\2026\\November");
    addPausedFile(folder + u'\\' + name, 1'234'567'890);
    ScriptedMessageService messages;
    CProgressDlg dialog(params, files, files, messages);
    const auto letGo = qScopeGuard([this] { goOn(); });

    dialog.show();
    ASSERT_TRUE(waitUntilPaused());
    ASSERT_TRUE(waitFor([&] { return !text(dialog, "speed").isEmpty(); }));
    EXPECT_EQ(text(dialog, "size"), QStringLiteral("1,234,567,890 bytes"));
    EXPECT_EQ(child<ElidedLabel>(dialog, "from")->toolTip(), folder + u'\\');
    dialog.layout()->activate();
    EXPECT_EQ(ClippedTexts(dialog), QStringList());

    dialog.listFailure(QStringLiteral("Failed to copy file \\Out\\x.txt to \\My Documents\\x.txt"
                                      "\r\nThe file does not exist (any more)."));
    dialog.cancelRun();
    goOn();
    ASSERT_TRUE(waitFor([&dialog] { return !dialog.isRunning(); }));
    EXPECT_EQ(text(dialog, "failureCount"),
              QStringLiteral("1 further failure was not shown as a box:"));
    dialog.layout()->activate();
    EXPECT_EQ(ClippedTexts(dialog), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Scales, ProgressDlgFontTest, ::testing::Values(1, 2));

} // namespace
} // namespace tarvo::test
