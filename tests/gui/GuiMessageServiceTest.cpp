#include "gui/main/GuiMessageService.h"

#include "tests/gui/MessageBoxWatcher.h"

#include <atomic>
#include <gtest/gtest.h>
#include <QTest>
#include <thread>

namespace tarvo {
namespace {

using test::MessageBoxWatcher;

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
