// Every text of the dialogs fits its control, in the application's font and
// in one twice as large: nothing is cut off at either edge. Paths shortened
// in their middle (ElidedLabel) are left to that control.
#include "config/Settings.h"
#include "core/forms/SessionForm.h"
#include "gui/browse/BrowseDlg.h"
#include "gui/main/ImageLists.h"
#include "gui/options/NetSessionDlg.h"
#include "gui/options/Options.h"
#include "gui/progress/ReplaceDlg.h"
#include "gui/widgets/ElidedLabel.h"
#include "platform/FileTimes.h"
#include "tests/gui/ClippedTexts.h"
#include "tests/support/BrowseTestSupport.h"
#include "tests/support/ScriptedMessageService.h"

#include <functional>
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>

namespace tarvo {
namespace {

// Every dialog is made and shown in the application's font times this.
class DialogTextsTest : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        QFont font = m_font;
        font.setPointSizeF(m_font.pointSizeF() * GetParam());
        QApplication::setFont(font);
        ASSERT_TRUE(tree.platform);
    }
    void TearDown() override { QApplication::setFont(m_font); }

    // Shows the dialog and lists what does not fit.
    static QStringList ShownClipped(QWidget& dialog)
    {
        dialog.show();
        return ClippedTexts(dialog);
    }

    const QFont m_font = QApplication::font();
    test::DeviceTree tree;
    Settings settings;
    test::ScriptedMessageService messages;
    ImageList sessionIcons =
        ImageList::fromStrip(QStringLiteral(":/res/bitmap131.xpm"), 16, QColor(255, 0, 255));
    ImageList checkBoxes =
        ImageList::fromStrip(QStringLiteral(":/res/bitmap140.xpm"), 16, QColor(255, 0, 0));
};

TEST_P(DialogTextsTest, ConfirmFileReplace)
{
    timespec time{};
    time.tv_sec = time_t(QDateTime(QDate(2026, 12, 31), QTime(23, 59), Qt::UTC).toSecsSinceEpoch());
    FileInfo big;
    big.Size = 123'456'789'012;
    big.LastWriteTime = fileTimeFromTimespec(time);
    CReplaceDlg dialog(
        {QStringLiteral(
             "\\\\fileserver\\Shared Documents\\Quarterly Reports\\2026\\Q4 summary.xlsx"),
         big},
        {QStringLiteral("\\My Documents\\Reports\\Q4 summary.xlsx"), big});
    EXPECT_EQ(ShownClipped(dialog), QStringList());
}

TEST_P(DialogTextsTest, MapNetworkDrive)
{
    SessionTable sessions;
    sessions.insert(QStringLiteral("Office"),
                    QStringLiteral("Net,Put,\\\\pc\\docs,WG,\\Docs,\\,Copy,\\Sent,ann,secret"));
    CNetSessionDlg dialog(SessionFormForAdd(), sessions, messages);
    EXPECT_EQ(ShownClipped(dialog), QStringList());
}

TEST_P(DialogTextsTest, EveryPageOfTheOptionsSheet)
{
    settings.Sessions.insert(QStringLiteral("Office"),
                             QStringLiteral("Net,Put,\\\\pc\\docs,WG,\\Docs,\\,None,,ann,secret"));
    COptions sheet(QStringLiteral("Options"),
                   OptionsContext{settings, messages, sessionIcons, checkBoxes,
                                  QIcon(QStringLiteral(":/res/icon128_32.xpm")),
                                  QStringLiteral("Tarvo 1.1")});
    sheet.show();
    auto* tabs = sheet.findChild<QTabWidget*>();
    ASSERT_TRUE(tabs);
    for (int page = 0; page < tabs->count(); ++page) {
        tabs->setCurrentIndex(page);
        ASSERT_TRUE(QTest::qWaitFor([&] { return tabs->currentWidget()->isVisible(); }, 20000));
        EXPECT_EQ(ClippedTexts(sheet), QStringList()) << tabs->tabText(page).toStdString();
    }
}

TEST_P(DialogTextsTest, Browse)
{
    tree.makeFolders({"My Documents"});
    CBrowseDlg dialog(CBrowseDlg::Services{settings, tree.platform->files(),
                                           tree.platform->connections(), messages, sessionIcons},
                      QString());
    EXPECT_EQ(ShownClipped(dialog), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Scales, DialogTextsTest, ::testing::Values(1, 2),
                         [](const auto& info) { return "Times" + std::to_string(info.param); });

} // namespace
} // namespace tarvo
