#include "gui/main/GuiMessageService.h"

#include "tests/gui/MessageBoxWatcher.h"
#include "tests/gui/ModalScript.h"

#include <atomic>
#include <gtest/gtest.h>
#include <QCheckBox>
#include <QTest>
#include <thread>

namespace tarvo {
namespace {

using test::MessageBoxWatcher;
using test::ModalScript;

// A user who answers each box with OK, ticking "Don't show again in this
// run" when asked to, and notes what each box offered.
class BoxUser
{
public:
    ModalScript::Step ok(bool tick = false)
    {
        return [this, tick](QDialog& shown) {
            auto* box = qobject_cast<QMessageBox*>(&shown);
            if (!box) {
                shown.reject();
                return;
            }
            offers.append(box->checkBox() ? box->checkBox()->text() : QStringLiteral("-"));
            if (tick && box->checkBox())
                box->checkBox()->setChecked(true);
            box->button(QMessageBox::Ok)->click();
        };
    }

    QStringList offers;
};

// Shows the messages from a worker, as a run does, and waits until it is done.
void ShowFromWorker(GuiMessageService& messages, const QList<MessageIcon>& icons)
{
    std::atomic_bool done{false};
    std::thread worker([&] {
        for (int i = 0; i < icons.size(); ++i)
            messages.showMessage(QStringLiteral("message %1").arg(i + 1), icons.at(i),
                                 icons.at(i) == MessageIcon::Question ? MessageButtons::OkCancel
                                                                      : MessageButtons::Ok);
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 10000));
    worker.join();
}

TEST(GuiMessageService, AWorkersQuestionIsShownOnTheWindowsThreadAndAnswered)
{
    GuiMessageService messages;
    MessageBoxWatcher watcher(QMessageBox::Cancel);
    std::atomic_bool done{false};
    MessageResult result = MessageResult::Ok;
    std::thread worker([&] {
        result = messages.showMessage("Go ahead?", MessageIcon::Question, MessageButtons::OkCancel);
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 5000));
    worker.join();
    EXPECT_EQ(result, MessageResult::Cancel);
    EXPECT_EQ(watcher.texts(), QStringList{"Go ahead?"});
    EXPECT_EQ(watcher.icons(), QList<QMessageBox::Icon>{QMessageBox::Question});
    EXPECT_TRUE(watcher.allOnGuiThread());
}

TEST(GuiMessageService, ShowsEachIconWithItsButtons)
{
    GuiMessageService messages;
    MessageBoxWatcher watcher(QMessageBox::Ok);
    EXPECT_EQ(messages.showMessage("e", MessageIcon::Error, MessageButtons::Ok), MessageResult::Ok);
    EXPECT_EQ(messages.showMessage("i", MessageIcon::Information, MessageButtons::Ok),
              MessageResult::Ok);
    EXPECT_EQ(messages.showMessage("s", MessageIcon::Stop, MessageButtons::Ok), MessageResult::Ok);
    EXPECT_EQ(watcher.icons(),
              (QList<QMessageBox::Icon>{QMessageBox::Critical, QMessageBox::Information,
                                        QMessageBox::Critical}));
}

// From the second failure box of a run on, the box offers to show no more
// of them; once ticked, the run's later failures are handed on instead, while
// questions and other messages are still shown. The next run starts afresh.
TEST(GuiMessageService, ARunsFailureBoxesCanBeTurnedOffForTheRestOfTheRun)
{
    GuiMessageService messages;
    BoxUser user;
    QStringList unshown;
    messages.beginRun([&unshown](const QString& text) { unshown.append(text); });
    {
        ModalScript script({user.ok(), user.ok(true), user.ok(), user.ok()});
        ShowFromWorker(messages,
                       {MessageIcon::Error, MessageIcon::Error, MessageIcon::Error,
                        MessageIcon::Question, MessageIcon::Information, MessageIcon::Error});
        EXPECT_EQ(script.dialogsSeen(), 4);
    }
    const QString offer = QStringLiteral("Don't show again in this run");
    EXPECT_EQ(user.offers, QStringList({"-", offer, "-", "-"}));
    EXPECT_EQ(unshown, QStringList({"message 3", "message 6"}));

    // Between runs every box is shown, and none offers anything.
    messages.endRun();
    user.offers.clear();
    {
        ModalScript script({user.ok(), user.ok()});
        ShowFromWorker(messages, {MessageIcon::Error, MessageIcon::Error});
    }
    EXPECT_EQ(user.offers, QStringList({"-", "-"}));

    // A new run shows its first failures again, whatever the last one chose.
    messages.beginRun([&unshown](const QString& text) { unshown.append(text); });
    user.offers.clear();
    {
        ModalScript script({user.ok(), user.ok(), user.ok()});
        ShowFromWorker(messages, {MessageIcon::Error, MessageIcon::Error, MessageIcon::Error});
    }
    EXPECT_EQ(user.offers, QStringList({"-", offer, offer}));
    EXPECT_EQ(unshown.size(), 2);
}

TEST(GuiMessageService, TheReplaceQuestionGoesToTheDialogOnTheWindowsThread)
{
    GuiMessageService messages;
    // Without a dialog the question ends unanswered.
    EXPECT_FALSE(messages.confirmReplace({"old", {}}, {"new", {}}).accepted);

    QThread* askedOn = nullptr;
    QString asked;
    messages.setReplaceDialog([&](const ReplaceFile& existing, const ReplaceFile& incoming) {
        askedOn = QThread::currentThread();
        asked = existing.path + u'|' + incoming.path;
        return ReplaceReply{true, ReplaceNoToAll};
    });
    std::atomic_bool done{false};
    ReplaceReply reply;
    std::thread worker([&] {
        reply = messages.confirmReplace({"\\a.txt", {}}, {"\\\\pc\\docs\\a.txt", {}});
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 5000));
    worker.join();
    EXPECT_TRUE(reply.accepted);
    EXPECT_EQ(reply.answer, ReplaceNoToAll);
    EXPECT_EQ(asked, "\\a.txt|\\\\pc\\docs\\a.txt");
    EXPECT_EQ(askedOn, QApplication::instance()->thread());
}

TEST(GuiMessageService, AWorkersWaitCursorIsSetAndRemovedOnTheWindowsThread)
{
    GuiMessageService messages;
    std::thread worker([&] { messages.beginWaitCursor(); });
    worker.join();
    EXPECT_TRUE(QTest::qWaitFor([] { return QGuiApplication::overrideCursor() != nullptr; }, 2000));
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    std::thread ender([&] { messages.endWaitCursor(); });
    ender.join();
    EXPECT_TRUE(QTest::qWaitFor([] { return QGuiApplication::overrideCursor() == nullptr; }, 2000));
}

} // namespace
} // namespace tarvo
