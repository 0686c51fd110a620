#include "gui/progress/ReplaceDlg.h"

#include "gui/widgets/ElidedLabel.h"
#include "platform/FileTimes.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace tarvo::test {
namespace {

// A file as the worker read it, last written at the given time (UTC).
ReplaceFile Read(const QString& path, quint64 size, const QDateTime& utc)
{
    timespec time{};
    time.tv_sec = time_t(utc.toSecsSinceEpoch());
    FileInfo info;
    info.Size = size;
    info.LastWriteTime = fileTimeFromTimespec(time);
    return {path, info};
}

class ReplaceDlgTest : public ::testing::Test
{
protected:
    QString text(const QDialog& dialog, const char* name) const
    {
        const QString objectName = QString::fromLatin1(name);
        if (const auto* elided = dialog.findChild<ElidedLabel*>(objectName))
            return elided->fullText();
        const auto* label = dialog.findChild<QLabel*>(objectName);
        return label ? label->text() : QStringLiteral("<missing %1>").arg(objectName);
    }

    const QDateTime ExistingTime{QDate(2026, 11, 2), QTime(9, 30), Qt::UTC};
    const QDateTime NewTime{QDate(2026, 12, 1), QTime(17, 5), Qt::UTC};
    // Neither file exists: the dialog shows what it is given and reads nothing.
    const ReplaceFile Existing =
        Read(QStringLiteral("\\\\pc\\Share Copy\\report.txt"), 1234567, ExistingTime);
    const ReplaceFile New = Read(QStringLiteral("\\My Documents\\report.txt"), 3, NewTime);
};

TEST_F(ReplaceDlgTest, ShowsBothFilesAsTheyWereRead)
{
    CReplaceDlg dialog(Existing, New);

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Confirm File Replace"));
    EXPECT_EQ(text(dialog, "message"), QStringLiteral("A file named 'report.txt' already exists."));
    EXPECT_EQ(text(dialog, "existingFolder"), QStringLiteral("\\\\pc\\Share Copy\\"));
    EXPECT_EQ(text(dialog, "existingSize"), QStringLiteral("1,234,567 bytes"));
    EXPECT_EQ(text(dialog, "newFolder"), QStringLiteral("\\My Documents\\"));
    EXPECT_EQ(text(dialog, "newSize"), QStringLiteral("3 bytes"));
    // The two times as read, in the user's format: whatever it is, they differ.
    EXPECT_TRUE(text(dialog, "existingDate").contains("26"));
    EXPECT_TRUE(text(dialog, "newDate").contains("26"));
    EXPECT_NE(text(dialog, "existingDate"), text(dialog, "newDate"));
    for (const char* name : {"existingIcon", "newIcon", "bitmap"}) {
        const auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(name));
        ASSERT_TRUE(label) << name;
        EXPECT_FALSE(label->pixmap().isNull()) << name;
    }
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);

    const auto buttons = dialog.findChildren<QPushButton*>();
    QStringList captions;
    for (const QPushButton* button : buttons) {
        captions.append(button->text());
        EXPECT_FALSE(button->isDefault() || button->autoDefault()) << button->text().toStdString();
    }
    EXPECT_EQ(captions, QStringList({"Yes", "Yes To All", "No", "No To All"}));

    // A file that could not be read comes with zeros.
    CReplaceDlg unread({QStringLiteral("\\gone\\report.txt"), {}}, New);
    EXPECT_EQ(text(unread, "existingSize"), QStringLiteral("0 bytes"));
    EXPECT_EQ(text(unread, "existingFolder"), QStringLiteral("\\gone\\"));
}

TEST_F(ReplaceDlgTest, ShortensOnlyLongNames)
{
    CReplaceDlg dialog(Existing, New);
    dialog.show();
    EXPECT_TRUE(dialog.findChild<QLabel*>("message")->toolTip().isEmpty());

    // A name too long for one line loses its middle; the tooltip holds the message whole.
    const QString name = QString(300, u'n') + QStringLiteral(".txt");
    CReplaceDlg longName(Read("\\Sent\\" + name, 1, NewTime), Read("\\Out\\" + name, 1, NewTime));
    longName.show();
    const auto* message = longName.findChild<QLabel*>("message");
    const QString whole = QStringLiteral("A file named '%1' already exists.").arg(name);
    EXPECT_EQ(message->toolTip(), whole);
    EXPECT_TRUE(message->text().startsWith("A file named 'nnn")) << message->text().toStdString();
    EXPECT_TRUE(message->text().endsWith("n.txt' already exists."))
        << message->text().toStdString();
    EXPECT_TRUE(message->text().contains(QChar(0x2026)));
    EXPECT_LE(message->fontMetrics().horizontalAdvance(message->text()),
              message->contentsRect().width());
    EXPECT_LT(longName.width(), message->fontMetrics().horizontalAdvance(whole) / 2);
}

// Ends the dialog that AskReplace is about to show, the way the user would.
void endActiveDialogWith(std::function<void(QDialog&)> action)
{
    QTimer::singleShot(0, [action] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        action(*dialog);
    });
}

TEST_F(ReplaceDlgTest, EachButtonGivesItsAnswer)
{
    const struct
    {
        const char* button;
        ReplaceAnswer answer;
    } cases[] = {{"Yes", ReplaceYes},
                 {"Yes To All", ReplaceYesToAll},
                 {"No", ReplaceNo},
                 {"No To All", ReplaceNoToAll}};
    for (const auto& c : cases) {
        endActiveDialogWith([&c](QDialog& dialog) {
            QTest::mouseClick(dialog.findChild<QPushButton*>(QString::fromLatin1(c.button)),
                              Qt::LeftButton);
        });
        const ReplaceReply reply = AskReplace(Existing, New);
        EXPECT_TRUE(reply.accepted) << c.button;
        EXPECT_EQ(reply.answer, c.answer) << c.button;
    }
}

TEST_F(ReplaceDlgTest, EndedWithoutAButtonGivesNoAnswer)
{
    endActiveDialogWith([](QDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    ReplaceReply reply = AskReplace(Existing, New);
    EXPECT_FALSE(reply.accepted);
    EXPECT_EQ(reply.answer, ReplaceAsk);

    // Enter picks nothing either: no answer is the default.
    endActiveDialogWith([](QDialog& dialog) {
        QTest::keyClick(&dialog, Qt::Key_Return);
        if (dialog.isVisible())
            dialog.reject();
    });
    reply = AskReplace(Existing, New);
    EXPECT_FALSE(reply.accepted);
}

} // namespace
} // namespace tarvo::test
