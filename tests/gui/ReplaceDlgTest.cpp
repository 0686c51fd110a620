#include "gui/progress/ReplaceDlg.h"

#include "tests/support/DeviceFiles.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace tarvo::test {
namespace {

class ReplaceDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        device.write(Existing, QByteArray(1234567, 'o'));
        device.write(New, "new", QDateTime(QDate(2026, 12, 1), QTime(17, 5), Qt::UTC));
    }

    QString text(const QDialog& dialog, const char* name) const
    {
        const auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(name));
        return label ? label->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
    }

    static QString dateText(const QDateTime& utc)
    {
        const QDateTime local = utc.toLocalTime();
        return QLocale::system().toString(local.date(), QLocale::ShortFormat) + u' ' +
               QLocale::system().toString(local.time(), QLocale::ShortFormat);
    }

    const QString Existing = QStringLiteral("\\Share Copy\\report.txt");
    const QString New = QStringLiteral("\\My Documents\\report.txt");
    DeviceFiles device;
};

TEST_F(ReplaceDlgTest, ShowsBothFiles)
{
    CReplaceDlg dialog(Existing, New, device.files());

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Confirm File Replace"));
    EXPECT_EQ(text(dialog, "message"), QStringLiteral("A file named 'report.txt' already exists."));
    EXPECT_EQ(text(dialog, "existingFolder"), QStringLiteral("\\Share Copy\\"));
    EXPECT_EQ(text(dialog, "existingSize"), QStringLiteral("1,234,567 bytes"));
    EXPECT_EQ(text(dialog, "existingDate"),
              dateText(QDateTime(QDate(2026, 11, 2), QTime(9, 30), Qt::UTC)));
    EXPECT_EQ(text(dialog, "newFolder"), QStringLiteral("\\My Documents\\"));
    EXPECT_EQ(text(dialog, "newSize"), QStringLiteral("3 bytes"));
    EXPECT_EQ(text(dialog, "newDate"),
              dateText(QDateTime(QDate(2026, 12, 1), QTime(17, 5), Qt::UTC)));
    for (const char* name : {"existingIcon", "newIcon", "bitmap"}) {
        const auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(name));
        ASSERT_TRUE(label) << name;
        EXPECT_FALSE(label->pixmap().isNull()) << name;
    }
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("bitmap"))->size(), QSize(37, 40));
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);

    const auto buttons = dialog.findChildren<QPushButton*>();
    QStringList captions;
    for (const QPushButton* button : buttons) {
        captions.append(button->text());
        EXPECT_FALSE(button->isDefault() || button->autoDefault()) << button->text().toStdString();
    }
    EXPECT_EQ(captions, QStringList({"Yes", "Yes To All", "No", "No To All"}));
}

TEST_F(ReplaceDlgTest, AFileThatCannotBeReadShowsZeros)
{
    CReplaceDlg dialog(QStringLiteral("\\gone\\report.txt"), New, device.files());
    EXPECT_EQ(text(dialog, "existingSize"), QStringLiteral("0 bytes"));
    EXPECT_EQ(text(dialog, "existingFolder"), QStringLiteral("\\gone\\"));
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
        const ReplaceReply reply = AskReplace(Existing, New, device.files());
        EXPECT_TRUE(reply.accepted) << c.button;
        EXPECT_EQ(reply.answer, c.answer) << c.button;
    }
}

TEST_F(ReplaceDlgTest, EndedWithoutAButtonGivesNoAnswer)
{
    endActiveDialogWith([](QDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    ReplaceReply reply = AskReplace(Existing, New, device.files());
    EXPECT_FALSE(reply.accepted);
    EXPECT_EQ(reply.answer, ReplaceAsk);

    // Enter picks nothing either: no answer is the default.
    endActiveDialogWith([](QDialog& dialog) {
        QTest::keyClick(&dialog, Qt::Key_Return);
        if (dialog.isVisible())
            dialog.reject();
    });
    reply = AskReplace(Existing, New, device.files());
    EXPECT_FALSE(reply.accepted);
}

} // namespace
} // namespace tarvo::test
