// The Progress dialog's texts and messages on a wrong password and an
// unreachable server: the password is never among them.
#include "gui/progress/ProgressDlg.h"
#include "tests/support/RunFixture.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace tarvo::test {
namespace {

class PasswordsNeverShowWindowTest : public RunFixture
{};

TEST_F(PasswordsNeverShowWindowTest, NotInTheProgressDialog)
{
    const QString wrong = QStringLiteral("Wrong-Window-Secret");
    const QString far = QStringLiteral("Far-Window-Secret");
    writeDevice(QStringLiteral("\\Out\\a.txt"), "a");
    addSession(QStringLiteral("Office"),
               line(QStringLiteral("Put"), QStringLiteral("\\Out"), QStringLiteral("\\in"),
                    QStringLiteral("None"), {}, wrong));
    addSession(QStringLiteral("Far"),
               QStringLiteral("Net,Get,\\\\127.0.0.1:1\\share,WG,\\In,\\,None,,tester,") + far);
    params.entries = {QStringLiteral("Office,\\Out\\a.txt"),
                      QStringLiteral("Far,\\\\127.0.0.1:1\\share\\x.txt")};

    CProgressDlg dialog(params, platform->files(), platform->connections(), messages);
    dialog.show();
    auto* done = dialog.findChild<QPushButton*>(QStringLiteral("done"));
    ASSERT_TRUE(done);
    ASSERT_TRUE(QTest::qWaitFor([done] { return done->isVisible(); }, 30000));

    QStringList texts = messages.texts();
    EXPECT_EQ(texts.filter(QStringLiteral("Failed to map")).size(), 2)
        << texts.join('\n').toStdString();
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        texts.append(label->text());
    texts.append(dialog.windowTitle());
    for (const QString& text : texts) {
        EXPECT_FALSE(text.contains(wrong)) << text.toStdString();
        EXPECT_FALSE(text.contains(far)) << text.toStdString();
    }
    done->click();
}

} // namespace
} // namespace tarvo::test
