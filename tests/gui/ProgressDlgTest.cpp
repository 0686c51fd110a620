#include "gui/progress/ProgressDlg.h"

#include "core/transfer/ProgressTexts.h"
#include "core/transfer/TransferRate.h"
#include "gui/main/GuiMessageService.h"
#include "gui/widgets/ElidedLabel.h"
#include "platform/PlatformServices.h"
#include "tests/gui/ModalScript.h"
#include "tests/support/DeviceFiles.h"
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

// The device's files, except that the copy of one file stops once `after`
// of its bytes have arrived, until the test lets it go on: the test acts
// while that copy is in the middle of its file.
class PausingFiles : public FileSystem
{
public:
    PausingFiles(FileSystem& files, QString pausedName, quint64 after)
        : m_files(files)
        , m_pausedName(std::move(pausedName))
        , m_after(after)
    {}

    bool waitUntilPaused() { return m_paused.tryAcquire(1, 10000); }
    // Lets the paused copy go on, and the copies after it run through.
    void goOn()
    {
        m_pausing = false;
        m_goOn.release();
    }

    bool canOpenForReading(const QString& path) override { return m_files.canOpenForReading(path); }
    int readAttributes(const QString& path, FileInfo& info) override
    {
        return m_files.readAttributes(path, info);
    }
    using FileSystem::listFolder;
    int listFolder(const QString& folder, const Visitor& visit) override
    {
        return m_files.listFolder(folder, visit);
    }
    CopyOutcome copy(const CopyRequest& request) override
    {
        if (!request.source.endsWith(m_pausedName))
            return m_files.copy(request);
        Pause pause(*this, request.watcher);
        CopyRequest paused = request;
        paused.watcher = &pause;
        return m_files.copy(paused);
    }
    using FileSystem::deleteFile;
    using FileSystem::moveFile;
    int moveFile(const QString& source, const QString& target, const FileInfo* copiedAs) override
    {
        return m_files.moveFile(source, target, copiedAs);
    }
    int deleteFile(const QString& path, const FileInfo* copiedAs) override
    {
        return m_files.deleteFile(path, copiedAs);
    }

private:
    // Counts the block as the run's own watcher would, then waits.
    class Pause : public CopyWatcher
    {
    public:
        Pause(PausingFiles& owner, CopyWatcher* also)
            : m_owner(owner)
            , m_also(also)
        {}
        void blockCopied(quint64 done, quint64 size) override
        {
            if (m_also)
                m_also->blockCopied(done, size);
            if (done >= m_owner.m_after && m_owner.m_pausing.exchange(false)) {
                m_owner.m_paused.release();
                m_owner.m_goOn.acquire();
            }
        }

    private:
        PausingFiles& m_owner;
        CopyWatcher* m_also;
    };

    FileSystem& m_files;
    const QString m_pausedName;
    const quint64 m_after;
    std::atomic_bool m_pausing{true};
    QSemaphore m_paused;
    QSemaphore m_goOn;
};

const char* const Cancelled = "The run was cancelled; the files after it were not started.";

class ProgressDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform = PlatformServices::create(device.native(QStringLiteral("\\")));
        ASSERT_TRUE(platform);
        device.makeFolder(QStringLiteral("\\My Documents"));
    }

    // Files in \Out, each an entry of the session Local.
    void addFiles(const QStringList& names, const QString& session = QStringLiteral("Local"))
    {
        for (const QString& name : names) {
            device.write(QStringLiteral("\\Out\\") + name, name.toUtf8());
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

    // A file of `size` bytes that takes no room on the disk.
    void addBigFile(const QString& devicePath, qint64 size)
    {
        device.write(devicePath, QByteArray());
        ASSERT_TRUE(QFile::resize(device.native(devicePath), size));
        device.setModified(devicePath, QDateTime(QDate(2026, 11, 2), QTime(9, 30), Qt::UTC));
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

    // Everything in the folder, hidden files and folders included.
    QStringList everythingIn(const QString& deviceFolder) const
    {
        return QDir(device.native(deviceFolder))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Name);
    }

    DeviceFiles device;
    std::unique_ptr<PlatformServices> platform;
    TransferParams params;
};

TEST_F(ProgressDlgTest, ShowsTheRunAndEndsWithDone)
{
    addSession(QStringLiteral("None"));
    addFiles({"a.txt", "b.txt", "c.txt"});
    ScriptedMessageService messages;
    CProgressDlg dialog(params, platform->files(), platform->connections(), messages);
    auto* bar = child<QProgressBar>(dialog, "progressBar");
    auto* done = child<QPushButton>(dialog, "done");
    auto* cancel = child<QPushButton>(dialog, "cancel");
    auto* summary = child<QLabel>(dialog, "summary");
    ASSERT_TRUE(bar && done && cancel && summary);
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
    EXPECT_EQ(text(dialog, "fileBytes"), QStringLiteral("This file: ") + BytesOfText(5, 5));
    EXPECT_FALSE(child<QLabel>(dialog, "icon")->pixmap().isNull());
    EXPECT_TRUE(child<QListWidget>(dialog, "failures")->isHidden());
    EXPECT_EQ(device.names(QStringLiteral("\\My Documents")),
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
    device.write(QStringLiteral("\\a.txt"), "taken");
    ScriptedMessageService messages;
    CProgressDlg dialog(params, platform->files(), platform->connections(), messages);
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
    addBigFile(QStringLiteral("\\Out\\big.bin"), 8 * MiB);
    params.entries.append(QStringLiteral("Local,\\Out\\big.bin"));
    params.sizes = {8 * MiB, 5};
    addFiles({"c.txt"}, QStringLiteral("Later"));
    device.write(QStringLiteral("\\My Documents\\big.bin"), "the old target");
    PausingFiles files(platform->files(), QStringLiteral("big.bin"), MiB);
    ScriptedMessageService messages;
    CProgressDlg dialog(params, files, platform->connections(), messages);
    const auto letGo = qScopeGuard([&files] { files.goOn(); });
    auto* bar = child<QProgressBar>(dialog, "progressBar");
    auto* cancel = child<QPushButton>(dialog, "cancel");

    dialog.show();
    ASSERT_TRUE(files.waitUntilPaused());
    const QString bytes = QStringLiteral("This file: ") + BytesOfText(MiB, 8 * MiB);
    EXPECT_TRUE(waitFor([&] { return text(dialog, "fileBytes") == bytes; }))
        << text(dialog, "fileBytes").toStdString();
    EXPECT_TRUE(waitFor([&] { return bar->value() > 0; }));
    EXPECT_LT(bar->value(), 50);
    EXPECT_TRUE(waitFor([&] { return !text(dialog, "speed").isEmpty(); }));

    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_TRUE(dialog.isRunning());
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_EQ(text(dialog, "speed"), QStringLiteral("Stopping the run ..."));
    files.goOn();
    ASSERT_TRUE(waitFor([&dialog] { return !dialog.isRunning(); }));

    EXPECT_EQ(text(dialog, "summary"),
              QStringLiteral("0 of 2 files are transferred successfully\n") + Cancelled);
    EXPECT_EQ(text(dialog, "progressLine"), QStringLiteral("Transferring file 1 of 2 ..."));
    EXPECT_EQ(everythingIn(QStringLiteral("\\My Documents")), QStringList({"big.bin"}));
    EXPECT_EQ(device.read(QStringLiteral("\\My Documents\\big.bin")), "the old target");
    EXPECT_TRUE(device.exists(QStringLiteral("\\Out\\big.bin")));
    EXPECT_TRUE(device.exists(QStringLiteral("\\Out\\c.txt")));
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(u'\n').toStdString();
    EXPECT_TRUE(child<QPushButton>(dialog, "done")->isVisible());
    EXPECT_TRUE(cancel->isHidden());
}

// Escape and the close box ask first during a run: No goes on, Yes stops.
// Enter does nothing. Once the run has ended they close the dialog.
TEST_F(ProgressDlgTest, EscapeAndTheCloseBoxAskWhetherToCancelTheRun)
{
    addSession(QStringLiteral("None"));
    addBigFile(QStringLiteral("\\Out\\big.bin"), 4 * MiB);
    params.entries.append(QStringLiteral("Local,\\Out\\big.bin"));
    PausingFiles files(platform->files(), QStringLiteral("big.bin"), MiB);
    ScriptedMessageService messages;
    CProgressDlg dialog(params, files, platform->connections(), messages);
    const auto letGo = qScopeGuard([&files] { files.goOn(); });
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
    ASSERT_TRUE(files.waitUntilPaused());

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

    files.goOn();
    ASSERT_TRUE(waitFor([&dialog] { return !dialog.isRunning(); }));
    EXPECT_EQ(text(dialog, "summary"),
              QStringLiteral("0 of 1 files are transferred successfully\n") + Cancelled);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(user.dialogsSeen(), 2);
}

TEST_F(ProgressDlgTest, RunsModallyUntilDone)
{
    addSession(QStringLiteral("None"));
    addFiles({"a.txt"});
    ScriptedMessageService messages;
    CProgressDlg dialog(params, platform->files(), platform->connections(), messages);
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&dialog] {
        auto* done = child<QPushButton>(dialog, "done");
        if (done->isVisible())
            done->click();
    });
    user.start(10);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
}

// From the second failure box of a run on, the box offers to show no more;
// the later failures are listed and counted in the dialog, and every box
// stands on the dialog, not on the window beneath it.
TEST_F(ProgressDlgTest, FailuresThatTheUserChoseNotToSeeAreListedInTheDialog)
{
    addSession(QStringLiteral("None"));
    addFiles({"a.txt", "b.txt", "c.txt", "d.txt"});
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        ASSERT_TRUE(QFile::remove(device.native(QStringLiteral("\\Out\\") + QLatin1String(name))));
    QWidget window;
    window.show();
    GuiMessageService messages;
    messages.setParentWindow(&window);
    CProgressDlg dialog(params, platform->files(), platform->connections(), messages);
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

    static void expectNoTextCut(QWidget& dialog)
    {
        dialog.layout()->activate();
        for (const QLabel* label : dialog.findChildren<QLabel*>()) {
            if (!label->isVisible() || label->text().isEmpty())
                continue;
            const QSize room = label->contentsRect().size();
            const QSize needed = label->fontMetrics().size(0, label->text());
            // A path loses its middle instead; what it shows still fits.
            EXPECT_LE(needed.width(), room.width())
                << label->objectName().toStdString() << ": " << label->text().toStdString();
            EXPECT_LE(needed.height(), room.height()) << label->objectName().toStdString();
        }
        for (const QPushButton* button : dialog.findChildren<QPushButton*>()) {
            if (button->isVisible()) {
                EXPECT_GE(button->width(), button->sizeHint().width());
            }
        }
    }

private:
    const QFont m_font = QApplication::font();
};

TEST_P(ProgressDlgFontTest, NoTextIsCut)
{
    addSession(QStringLiteral("None"));
    const QString name = QStringLiteral("A rather long name for a file that a user sends.bin");
    const QString folder = QStringLiteral("\\Out\\Projects\\Customer reports\\2026\\November");
    addBigFile(folder + u'\\' + name, 1'234'567'890);
    params.entries.append(QStringLiteral("Local,") + folder + u'\\' + name);
    PausingFiles files(platform->files(), name, MiB);
    ScriptedMessageService messages;
    CProgressDlg dialog(params, files, platform->connections(), messages);
    const auto letGo = qScopeGuard([&files] { files.goOn(); });

    dialog.show();
    ASSERT_TRUE(files.waitUntilPaused());
    ASSERT_TRUE(waitFor([&] { return !text(dialog, "speed").isEmpty(); }));
    EXPECT_EQ(text(dialog, "size"), QStringLiteral("1,234,567,890 bytes"));
    EXPECT_EQ(child<ElidedLabel>(dialog, "from")->toolTip(), folder + u'\\');
    expectNoTextCut(dialog);

    dialog.listFailure(QStringLiteral("Failed to copy file \\Out\\x.txt to \\My Documents\\x.txt"
                                      "\r\nThe file does not exist (any more)."));
    dialog.cancelRun();
    files.goOn();
    ASSERT_TRUE(waitFor([&dialog] { return !dialog.isRunning(); }));
    EXPECT_EQ(text(dialog, "failureCount"),
              QStringLiteral("1 further failure was not shown as a box:"));
    expectNoTextCut(dialog);
}

INSTANTIATE_TEST_SUITE_P(Scales, ProgressDlgFontTest, ::testing::Values(1, 2));

} // namespace
} // namespace tarvo::test
