// The Progress and Replace dialogs on in-memory files, the messages that a
// run's worker shows through the window's thread, and the texts of every
// dialog, which fit their controls in the application's font and in one twice
// as large (paths shortened in their middle are left to ElidedLabel).

#include "core/transfer/TransferJob.h"
#include "platform/DesktopNotifier.h"
#include "tests/support/UiTestSupport.h"

#include <chrono>
#include <future>

namespace tarvo::test {
namespace {

using namespace std::chrono_literals;

// A run on in-memory files: sessions without a direction copy their entries
// into \My Documents. holdAfterFirstMiB() stops each copy after its first MiB
// until the test releases goOn; the run is let go before the files go.
struct RunFiles
{
    ~RunFiles()
    {
        goOn.release(100);
        EXPECT_TRUE(QTest::qWaitFor([] { return TransferJob::running() == 0; }));
        // The let-go job goes now, and joins its thread, not at some later turn of the loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void addFiles(const QString& postOp, const QStringList& paths, const QString& session = "Local")
    {
        files.addFolder("\\My Documents");
        params.settings.Sessions.insert(session, "Net,None,\\\\x\\y,WG,\\In,\\," + postOp + ",,u,");
        params.settings.DefaultSession.append(session);
        for (const QString& path : paths) {
            files.addFile(path, path.section(u'\\', -1).toUtf8());
            params.entries.append({session, path});
        }
    }
    void holdAfterFirstMiB()
    {
        files.setBlockHook([this](const QString&, quint64 done) {
            if (done == 1 << 20) {
                paused.release();
                goOn.acquire();
            }
        });
    }
    MemoryFileSystem files;
    TransferParams params;
    ScriptedMessageService messages;
    QSemaphore paused, goOn;
};

// Each test runs in the usual font and in one twice as large.
class DialogTest : public ::testing::TestWithParam<int>, public RunFiles
{
protected:
    DialogTest()
    {
        QFont font = m_font;
        font.setPointSizeF(m_font.pointSizeF() * GetParam());
        QApplication::setFont(font);
    }
    ~DialogTest() override { QApplication::setFont(m_font); }
    const QFont m_font = QApplication::font();
};

// From the run's second failed copy on, its box offers to show no more; the
// later failures are listed and counted in the dialog, and every box stands
// on the dialog, not on the window beneath it. A file that goes on from the
// part a cut copy left says, under the bar, where it resumed.
TEST_P(DialogTest, ProgressShowsTheRunAndListsTheFailuresTheUserChoseNotToSee)
{
    addFiles("Move", {"\\Out\\a.txt", "\\Out\\b.txt", "\\Out\\c.txt"});
    files.addFile("\\a.txt", "taken");       // where Move puts a.txt: one post-operation fails
    for (const char* name : {"x", "y", "z"}) // none of them is there
        params.entries.append({"Local", QStringLiteral("\\Out\\%1.txt").arg(name)});
    params.entries.append({"Local", QStringLiteral("\\Out\\big.bin")});
    files.addFile("\\Out\\big.bin", QByteArray(6 << 20, 'b'));
    files.leavePart("\\My Documents\\big.bin", 4 << 20);
    QWidget window;
    window.show();
    GuiMessageService shown;
    shown.setParentWindow(&window);
    CProgressDlg dialog(params, files, files, shown);
    shown.beginRun([&dialog](const QString& failure) { dialog.listFailure(failure); });
    QStringList boxes; // where each box stood, and what it offered
    ModalWatcher<QMessageBox> user([&](QMessageBox& box) {
        boxes.append((box.parentWidget() == &dialog ? "dialog: " : "elsewhere: ") +
                     (box.checkBox() ? box.checkBox()->text() : QString()));
        if (box.checkBox())
            box.checkBox()->setChecked(true);
        box.button(QMessageBox::Ok)->click();
    });
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return dialog.findChild<QPushButton*>("done")->isVisible(); }));
    EXPECT_TRUE(dialog.findChild<QProgressBar*>()->value() == 100 &&
                dialog.findChild<QPushButton*>("cancel")->isHidden());
    const QStringList texts =
        QStringList(dialog.windowTitle()) +
        Texts(dialog, {"summary", "heading", "file", "size", "from", "to", "session",
                       "progressLine", "failureCount", "fileBytes"});
    EXPECT_EQ(
        texts,
        QStringList(
            {"Progress",
             "4 of 7 files are transferred successfully\n1 post-operation failed\n3 sources "
             "were moved into the post folder.",
             "Transfer finished", "big.bin", "6,291,456 bytes", "\\Out\\", "\\My Documents\\",
             "Local", "Transferring file 7 of 7 ...", "1 further failure was not shown as a box:",
             "This file: 6.0 MB of 6.0 MB, resuming at 4.0 MB of 6.0 MB"}));
    EXPECT_EQ(boxes, QStringList({"dialog: ", "dialog: ", "dialog: Don't show again in this run"}));
    auto* failures = dialog.findChild<QListWidget*>("failures");
    ASSERT_TRUE(failures->isVisible() && failures->count() == 1);
    EXPECT_EQ(failures->item(0)->text(),
              "Failed to copy file \\Out\\z.txt to \\My Documents\\z.txt\n"
              "The file does not exist (any more).");

    // Details: what the run did to each file, and how it ended.
    auto* details = dialog.findChild<QPlainTextEdit*>("detailsText");
    EXPECT_FALSE(details->isVisible());
    dialog.findChild<QPushButton*>("details")->click();
    ASSERT_TRUE(details->isVisible());
    QStringList lines = details->toPlainText().split(u'\n');
    for (QString& line : lines)
        line = line.section(QStringLiteral("  "), 1); // without the time
    EXPECT_EQ(lines.mid(0, 2),
              QStringList({"copy  done  \\Out\\a.txt -> \\My Documents\\a.txt  5 bytes",
                           "post-move  failed  \\Out\\a.txt -> \\a.txt  5 bytes  A file of that "
                           "name already exists."}));
    EXPECT_TRUE(lines.contains("run  incomplete  " + QString(texts.at(1)).replace(u'\n', " / ")))
        << details->toPlainText().toStdString();
}

// Preview plans the send on a worker and changes nothing: the counts on top,
// a row per action with the deletions in red, the questions the send will
// ask counted instead of asked. Its Send is OK; Close is not.
TEST_P(DialogTest, PreviewShowsWhatASendWouldDoAndChangesNothing)
{
    addFiles("Sync", {"\\Out\\a.txt", "\\Out\\b.txt"});
    files.addFile("\\My Documents\\b.txt", "older b");
    files.addFile("\\My Documents\\old.txt", "old");
    const QStringList before = files.journal();
    CPreviewDlg preview(params, files, files);
    preview.show();
    auto* send = preview.findChild<QPushButton*>("send");
    ASSERT_TRUE(QTest::qWaitFor([&] { return send->isEnabled(); }));
    EXPECT_EQ(Text(preview, "counts"), "1 copy, 1 replace, 1 prune");
    const QAbstractItemModel& table = *preview.findChild<QTableView*>("plan")->model();
    QStringList rows; // each with its colour, if any
    for (int row = 0; row < table.rowCount(); ++row) {
        const QModelIndex file = table.index(row, RunPlanModel::File);
        const QVariant colour = file.data(Qt::ForegroundRole);
        rows.append(table.index(row, RunPlanModel::Action).data().toString() + u' ' +
                    file.data().toString() +
                    (colour.isValid() ? " " + colour.value<QColor>().name() : ""));
    }
    EXPECT_EQ(rows, QStringList({"prune \\My Documents\\old.txt #ff0000", "copy \\Out\\a.txt",
                                 "replace \\Out\\b.txt"}));
    EXPECT_EQ(files.journal().filter(QRegularExpression("^(copy|move|delete) ")),
              before.filter(QRegularExpression("^(copy|move|delete) ")));
    send->click();
    EXPECT_EQ(preview.result(), QDialog::Accepted);
}

// Escape and the close box ask during a run (Enter does nothing): No goes on,
// Yes stops the file in its middle and starts nothing more. A run whose copy
// then hangs (a server that stopped answering) is let go after a moment: the
// summary names the file that was cut, the heading says the run was
// cancelled, and the dialog closes while the run ends on its own. A question
// that stands when a run ends is withdrawn. A long name and a big size fit.
TEST_P(DialogTest, ProgressEscapeAndTheCloseBoxAskBeforeTheRunStopsInTheMiddleOfAFile)
{
    const QString folder = "\\Out\\Projects\\Customer reports\\2026\\November";
    const QString name = "A rather long name for a file that a user sends.bin";
    addFiles("Del", {folder + "\\" + name});
    addFiles("Del", {"\\Out\\c.txt"}, "Later");
    files.setSize(folder + "\\" + name, 1'234'567'890);
    holdAfterFirstMiB();
    {
        CProgressDlg dialog(params, files, files, messages);
        const auto answer = [](QMessageBox::StandardButton button) -> ModalScript::Step {
            return
                [button](QDialog& box) { static_cast<QMessageBox&>(box).button(button)->click(); };
        };
        ModalScript user({answer(QMessageBox::No), answer(QMessageBox::Yes)});
        dialog.show();
        ASSERT_TRUE(paused.tryAcquire(1, 10000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !Text(dialog, "speed").isEmpty(); }));
        dialog.layout()->activate();
        EXPECT_EQ(ClippedTexts(dialog), QStringList());
        EXPECT_EQ(Text(dialog, "session"), "Local");
        QTest::keyClick(&dialog, Qt::Key_Return);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_EQ(user.titles.size(), 1);
        EXPECT_FALSE(dialog.close());
        EXPECT_EQ(user.titles.size(), 2);
        EXPECT_TRUE(dialog.isRunning() && dialog.isVisible());
        EXPECT_FALSE(dialog.findChild<QPushButton*>("cancel")->isEnabled());
        EXPECT_EQ(Text(dialog, "speed"), "Stopping the run ...");
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_EQ(user.titles.size(), 2) << "nothing left to ask once it is stopping";

        // The copy hangs on: the dialog lets the run go.
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.isRunning(); }));
        EXPECT_EQ(Texts(dialog, {"summary", "heading"}),
                  QStringList({"0 of 2 files are transferred successfully\nThe run was cancelled "
                               "during the copy of " +
                                   folder + "\\" + name +
                                   ": that file was not sent, and the files after it were not "
                                   "started.",
                               "Transfer cancelled"}));
        EXPECT_TRUE(dialog.findChild<QPushButton*>("done")->isVisible());
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
    }
    goOn.release();
    ASSERT_TRUE(QTest::qWaitFor([] { return TransferJob::running() == 0; }));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(files.names("\\My Documents"), QStringList());
    EXPECT_EQ(files.names(folder), QStringList{name});
    EXPECT_TRUE(messages.texts().isEmpty());

    // The question stands as the run ends: it goes with the run.
    CProgressDlg dialog(params, files, files, messages);
    ModalScript user({[&](QDialog&) { goOn.release(); }});
    dialog.show();
    ASSERT_TRUE(paused.tryAcquire(1, 10000));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isRunning());
    EXPECT_EQ(Text(dialog, "heading"), "Transfer finished");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// What a worker read of two files 30 days apart.
const ReplaceFile Existing{
    "\\\\pc\\Share Copy\\report.txt",
    {.LastWriteTime = fileTimeFromTimespec({1'790'000'000, 0}), .Size = 1234567}};
const ReplaceFile New{"\\My Documents\\report.txt",
                      {.LastWriteTime = fileTimeFromTimespec({1'792'592'000, 0}), .Size = 3}};

// Replace shows the files as the worker read them (neither exists), shortens
// only long names and answers by its buttons only. No text of Replace, Map
// Network Drive, Browse or of any page of the Options sheet is clipped.
TEST_P(DialogTest, ReplaceShowsTheFilesAsReadAnswersByItsButtonsAndNoDialogClipsItsTexts)
{
    CReplaceDlg replace(Existing, New);
    replace.show();
    EXPECT_EQ(
        QStringList(replace.windowTitle()) +
            Texts(replace, {"message", "existingFolder", "existingSize", "newFolder", "newSize"}),
        QStringList({"Confirm File Replace", "A file named 'report.txt' already exists.",
                     "\\\\pc\\Share Copy\\", "1,234,567 bytes", "\\My Documents\\", "3 bytes"}));
    EXPECT_NE(Text(replace, "existingDate"), Text(replace, "newDate"));
    EXPECT_EQ(replace.findChild<QLabel*>("message")->toolTip(), "");

    const QString name = QString(300, u'n') + ".txt";
    CReplaceDlg longName({"\\Sent\\" + name, New.info}, {"\\Out\\" + name, New.info});
    longName.show();
    const auto* message = longName.findChild<QLabel*>("message");
    EXPECT_EQ(message->toolTip(), "A file named '" + name + "' already exists.");
    EXPECT_TRUE(message->text().startsWith("A file named 'nnn") &&
                message->text().contains(QChar(0x2026)) &&
                message->text().endsWith("n.txt' already exists."))
        << message->text().toStdString();

    // Each button gives its answer; Return is Yes, Escape gives none.
    QList<std::pair<bool, ReplaceAnswer>> replies;
    for (const QString button : {"Yes", "Yes To All", "No To All", "Return", "Escape"}) {
        ModalScript user({[&button](QDialog& dialog) {
            if (auto* pressed = dialog.findChild<QPushButton*>(button))
                pressed->click();
            else
                QTest::keyClick(&dialog, button == "Return" ? Qt::Key_Return : Qt::Key_Escape);
            if (dialog.isVisible())
                dialog.reject();
        }});
        const ReplaceReply reply = AskReplace(Existing, New);
        replies.append({reply.accepted, reply.answer});
    }
    EXPECT_EQ(replies, (QList<std::pair<bool, ReplaceAnswer>>{{true, ReplaceYes},
                                                              {true, ReplaceYesToAll},
                                                              {true, ReplaceNoToAll},
                                                              {true, ReplaceYes},
                                                              {false, ReplaceAsk}}));

    files.addFolder("\\My Documents");
    ImageList sessionIcons = SessionIcons();
    const CBrowseDlg::Services services{params.settings, files, files, messages, sessionIcons};
    CBrowseDlg browse(services, QString());
    CNetSessionDlg session(SessionFormForAdd(), services);
    for (QDialog* dialog : std::initializer_list<QDialog*>{&replace, &session, &browse}) {
        dialog->show();
        EXPECT_EQ(ClippedTexts(*dialog), QStringList()) << dialog->windowTitle().toStdString();
    }
}

// The default choice is shown by its name and read in any letter case. The
// attribute mask is rebuilt only from a Filter page that was shown: 0x80 is
// none of its boxes and stays while the page is unseen. No page clips a text.
TEST_P(DialogTest, OptionsOpensOnGeneralReadsTheDefaultChoiceAndRebuildsTheMaskOnlyFromAShownPage)
{
    Settings& settings = params.settings;
    settings.ShowAttributes = 0xA7;
    settings.DefaultChoice = 4;
    ImageList sessionIcons = SessionIcons();
    // Paths as long as users have them, which must not widen the sheet.
    const AboutFacts about{"/home/alice/customers/north-harbour-office/configuration/tarvo.txt",
                           "/home/alice/.local/state/tarvo", ProgramLicence(),
                           "/home/alice/src/tarvo-checkout-for-the-office-pcs/README.md"};
    const auto context = [&](const AboutFacts& facts) {
        return OptionsContext{settings,    messages, sessionIcons,
                              files,       files,    QIcon(":/res/icon128_32.xpm"),
                              "Tarvo 1.1", facts};
    };
    COptions sheet("Options", context(about));
    sheet.show();
    EXPECT_EQ(sheet.sizeHint(), COptions("Options", context({})).sizeHint());
    EXPECT_EQ(sheet.tabs().currentIndex(), 0);
    EXPECT_EQ(sheet.findChild<QComboBox*>("defaultChoiceBox")->currentText(), "No");
    for (const auto& [typed, read] : QList<QPair<QString, int>>{{"", 4}, {"yEs", 2}, {"yes ", 0}}) {
        if (!typed.isEmpty())
            TypeInto(sheet.findChild<QComboBox*>("defaultChoiceBox"), typed);
        CopyIntoSettings(sheet.generalValues(), sheet.filterValues(), settings);
        EXPECT_EQ(settings.DefaultChoice, read) << typed.toStdString();
    }
    EXPECT_EQ(sheet.filterValues().attributeMask, 0xA7u);

    QStringList captions;
    for (int page = 0; page < sheet.tabs().count(); ++page) {
        captions.append(sheet.tabs().tabText(page));
        sheet.tabs().setCurrentIndex(page);
        ASSERT_TRUE(QTest::qWaitFor([&] { return sheet.tabs().currentWidget()->isVisible(); }));
        EXPECT_EQ(ClippedTexts(sheet), QStringList()) << captions.last().toStdString();
    }
    EXPECT_EQ(captions, QStringList({"General", "Filter", "Net", "About"}));
    sheet.tabs().setCurrentIndex(1);
    EXPECT_EQ(sheet.filterValues().attributeMask, 0x27u);
    for (const char* box : {"readOnlyBox", "archiveBox", "hiddenBox", "systemBox"})
        Click(sheet, box);
    EXPECT_EQ(sheet.filterValues().attributeMask, 0u);
    TypeInto(sheet.findChild<QComboBox*>("patternsBox"), "  *.TXT ; *.doc;");
    CopyIntoSettings(sheet.generalValues(), sheet.filterValues(), settings);
    EXPECT_EQ(settings.Filter, "  *.TXT ; *.doc;");
}

INSTANTIATE_TEST_SUITE_P(Scales, DialogTest, ::testing::Values(1, 2),
                         [](const auto& info) { return "Times" + std::to_string(info.param); });

// The desktop as the dialog meets it: it keeps the notices.
struct DesktopRecord : DesktopNotifier
{
    void notify(const DesktopNotice& notice) override { told.append(notice.body); }
    QStringList told;
};

// While a run goes on, the dialog's title and the main window's show the
// bar's percentage, which is what a task bar shows of them, and both get
// their own titles back as it ends. The end is told on the desktop only when
// the run lasted long enough and another program's window is in front.
TEST(ProgressDlgTest, TitlesFollowTheBarAndALongRunEndingInTheBackgroundIsToldOnTheDesktop)
{
    QWidget window;
    window.setWindowTitle("Tarvo");
    window.show();
    QWindow otherProgram; // none of the program's widgets
    for (const auto& [inBackground, longRun, told] :
         {std::tuple{true, 0ms, QStringList{"1 of 1 file sent"}},
          std::tuple{false, 0ms, QStringList()},
          std::tuple{true, std::chrono::milliseconds(1h), QStringList()}}) {
        RunFiles run; // a file of 4 MiB
        run.addFiles("None", {"\\Out\\big.bin"});
        run.files.setSize("\\Out\\big.bin", 4 << 20);
        run.params.sizes = {4 << 20};
        run.holdAfterFirstMiB();
        DesktopRecord desktop;
        CProgressDlg dialog(run.params, run.files, run.files, run.messages);
        dialog.showProgressInTitleOf(&window);
        dialog.setNotifier(&desktop, longRun);
        dialog.show();
        ASSERT_TRUE(run.paused.tryAcquire(1, 10000));
        // 1 MiB of 4 MiB and of the weight that each file adds.
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.windowTitle().startsWith("24%"); }));
        EXPECT_EQ(QStringList({dialog.windowTitle(), window.windowTitle()}),
                  QStringList(2, QStringLiteral("24% \u2013 Sending \u2013 Tarvo")));

        if (inBackground)
            otherProgram.requestActivate();
        else
            dialog.activateWindow();
        otherProgram.setVisible(inBackground);
        ASSERT_TRUE(QTest::qWaitFor([&, inBackground = inBackground] {
            return QApplication::activeWindow() == (inBackground ? nullptr : &dialog);
        }));
        run.goOn.release();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.isRunning(); }));
        EXPECT_EQ(QStringList({dialog.windowTitle(), window.windowTitle()}),
                  QStringList({"Progress", "Tarvo"}));
        EXPECT_EQ(desktop.told, told);
    }
}

// Runs ask() on a worker thread, as a run does, and waits until it returns.
// Waiting for the future tells ThreadSanitizer what the worker wrote.
void OnWorker(const std::function<void()>& ask)
{
    const std::future<void> done = std::async(std::launch::async, ask);
    EXPECT_TRUE(QTest::qWaitFor([&] { return done.wait_for(0s) == std::future_status::ready; }));
}

TEST(GuiMessageService, AWorkersMessagesQuestionsAndWaitCursorAreShownOnTheWindowsThread)
{
    GuiMessageService messages;
    MessageBoxWatcher watcher(QMessageBox::Cancel); // Ok where there is no Cancel
    QList<MessageResult> results;
    for (MessageIcon icon : {MessageIcon::Question, MessageIcon::Stop})
        OnWorker([&] {
            results.append(messages.showMessage(
                "m", icon,
                icon == MessageIcon::Question ? MessageButtons::OkCancel : MessageButtons::Ok));
        });
    EXPECT_EQ(results, (QList<MessageResult>{MessageResult::Cancel, MessageResult::Ok}));
    EXPECT_EQ(watcher.icons,
              (QList<QMessageBox::Icon>{QMessageBox::Question, QMessageBox::Critical}));
    EXPECT_TRUE(watcher.allOnGuiThread);

    QThread* askedOn = nullptr;
    messages.setReplaceDialog([&](const ReplaceFile& existing, const ReplaceFile& incoming) {
        askedOn = QThread::currentThread();
        return ReplaceReply{existing.path + incoming.path == "\\a\\\\pc\\a", ReplaceNoToAll};
    });
    ReplaceReply reply;
    OnWorker([&] { reply = messages.confirmReplace({"\\a", {}}, {"\\\\pc\\a", {}}); });
    EXPECT_TRUE(reply.accepted && reply.answer == ReplaceNoToAll && askedOn == qApp->thread());

    OnWorker([&] { messages.beginWaitCursor(); });
    EXPECT_TRUE(QTest::qWaitFor([] {
        return QGuiApplication::overrideCursor() &&
               QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
    }));
    OnWorker([&] { messages.endWaitCursor(); });
    EXPECT_TRUE(QTest::qWaitFor([] { return QGuiApplication::overrideCursor() == nullptr; }));
}

} // namespace
} // namespace tarvo::test
