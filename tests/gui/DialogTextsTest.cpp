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

// The text as drawn: "&&" shows one "&", a single "&" marks the next letter.
QString Drawn(const QString& text)
{
    static const QRegularExpression mnemonic(QStringLiteral("&(.)"));
    return QString(text).replace(mnemonic, QStringLiteral("\\1"));
}

// The width of the widest line and the height of all lines.
QSize TextSize(const QFontMetrics& metrics, const QString& text)
{
    const QStringList lines = text.split(u'\n');
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    return {width, metrics.height() + metrics.lineSpacing() * int(lines.size() - 1)};
}

// The room a button has for its text: the style's contents rectangle less
// the icon beside the text.
QSize ButtonRoom(const QAbstractButton& button)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(&button))
        contents = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<const QRadioButton*>(&button))
        contents = QStyle::SE_RadioButtonContents;
    QSize room = button.style()->subElementRect(contents, &option, &button).size();
    if (!button.icon().isNull())
        room.rwidth() -= button.iconSize().width() + 4;
    return room;
}

QString Describe(const QWidget& widget, const QString& text, QSize needed, QSize room)
{
    return QStringLiteral("%1 \"%2\" needs %3x%4, has %5x%6")
        .arg(QString::fromLatin1(widget.metaObject()->className()), text)
        .arg(needed.width())
        .arg(needed.height())
        .arg(room.width())
        .arg(room.height());
}

// The texts of the dialog's visible labels, buttons, tabs and group boxes
// that do not fit; the title too, when the dialog is narrower than it.
QStringList ClippedTexts(const QWidget& dialog)
{
    QStringList clipped;
    QFont bold = dialog.font();
    bold.setBold(true);
    const int titleWidth = QFontMetrics(bold).horizontalAdvance(dialog.windowTitle());
    if (dialog.width() < titleWidth)
        clipped.append(Describe(dialog, dialog.windowTitle(), {titleWidth, 0}, dialog.size()));

    const auto check = [&](const QWidget& widget, const QString& text, QSize room) {
        const QSize needed = TextSize(widget.fontMetrics(), text);
        if (needed.width() > room.width() || needed.height() > room.height())
            clipped.append(Describe(widget, text, needed, room));
    };
    for (const QWidget* widget : dialog.findChildren<QWidget*>()) {
        if (!widget->isVisible())
            continue;
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            if (qobject_cast<const ElidedLabel*>(label) || label->text().isEmpty())
                continue;
            const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                              -label->margin(), -label->margin());
            if (label->wordWrap()) {
                // A wrapped text fits when its lines fit the height.
                if (label->heightForWidth(label->width()) > label->height())
                    clipped.append(Describe(*label, label->text(),
                                            {label->width(), label->heightForWidth(label->width())},
                                            label->size()));
                continue;
            }
            check(*label, label->buddy() ? Drawn(label->text()) : label->text(), room.size());
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            if (!button->text().isEmpty())
                check(*button, Drawn(button->text()), ButtonRoom(*button));
        } else if (const auto* tabs = qobject_cast<const QTabBar*>(widget)) {
            // A tab's text has its rectangle less the style's space around it.
            const int space = tabs->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, tabs);
            for (int i = 0; i < tabs->count(); ++i)
                check(*tabs, Drawn(tabs->tabText(i)), tabs->tabRect(i).size() - QSize(space, 0));
        } else if (const auto* box = qobject_cast<const QGroupBox*>(widget)) {
            if (box->width() < box->minimumSizeHint().width())
                clipped.append(Describe(*box, box->title(), box->minimumSizeHint(), box->size()));
        }
    }
    return clipped;
}

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
