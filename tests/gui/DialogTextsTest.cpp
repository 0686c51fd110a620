// Every text of the dialogs fits its control, in the application's font and
// in one twice as large. Paths shortened in their middle are left to ElidedLabel.
#include "tests/support/UiTestSupport.h"

namespace tarvo::test {
namespace {

class DialogTextsTest : public ::testing::TestWithParam<int>
{};

TEST_P(DialogTextsTest, ReplaceMapNetworkDriveBrowseAndEveryPageOfTheOptionsSheet)
{
    ScaledFont scaled(GetParam());
    FileInfo big;
    big.Size = 123'456'789'012;
    timespec time{};
    time.tv_sec = time_t(QDateTime(QDate(2026, 12, 31), QTime(23, 59), Qt::UTC).toSecsSinceEpoch());
    big.LastWriteTime = fileTimeFromTimespec(time);
    CReplaceDlg replace(
        {"\\\\fileserver\\Shared Documents\\Quarterly Reports\\2026\\Q4 summary.xlsx", big},
        {"\\My Documents\\Reports\\Q4 summary.xlsx", big});
    Settings settings;
    settings.Sessions.insert("Office", "Net,Put,\\\\pc\\docs,WG,\\Docs,\\,Copy,\\Sent,ann,secret");
    ScriptedMessageService messages;
    CNetSessionDlg session(SessionFormForAdd(), settings.Sessions, messages);
    DeviceTree tree;
    tree.makeFolders({"My Documents"});
    ImageList sessionIcons = SessionIcons();
    CBrowseDlg browse(CBrowseDlg::Services{settings, tree.platform->files(),
                                           tree.platform->connections(), messages, sessionIcons},
                      QString());
    for (QDialog* dialog : std::initializer_list<QDialog*>{&replace, &session, &browse}) {
        dialog->show();
        EXPECT_EQ(ClippedTexts(*dialog), QStringList()) << dialog->windowTitle().toStdString();
    }
    ImageList checkBoxes = CheckBoxes();
    COptions sheet("Options", OptionsContext{settings, messages, sessionIcons, checkBoxes,
                                             QIcon(":/res/icon128_32.xpm"), "Tarvo 1.1"});
    sheet.show();
    for (int page = 0; page < sheet.tabs().count(); ++page) {
        sheet.tabs().setCurrentIndex(page);
        ASSERT_TRUE(QTest::qWaitFor([&] { return sheet.tabs().currentWidget()->isVisible(); }));
        EXPECT_EQ(ClippedTexts(sheet), QStringList()) << sheet.tabs().tabText(page).toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, DialogTextsTest, ::testing::Values(1, 2),
                         [](const auto& info) { return "Times" + std::to_string(info.param); });

} // namespace
} // namespace tarvo::test
