// Every text of the dialogs fits its control, in the application's font and
// in one twice as large. Paths shortened in their middle are left to ElidedLabel.
#include "tests/support/UiTestSupport.h"

namespace tarvo::test {
namespace {

class DialogTextsTest : public ::testing::TestWithParam<int>
{
protected:
    ScaledFont scaled{GetParam()};
    DeviceTree tree;
    Settings settings;
    ScriptedMessageService messages;
    ImageList sessionIcons = SessionIcons();
    ImageList checkBoxes = CheckBoxes();
};

TEST_P(DialogTextsTest, ReplaceMapNetworkDriveAndBrowse)
{
    FileInfo big;
    big.Size = 123'456'789'012;
    timespec time{};
    time.tv_sec = time_t(QDateTime(QDate(2026, 12, 31), QTime(23, 59), Qt::UTC).toSecsSinceEpoch());
    big.LastWriteTime = fileTimeFromTimespec(time);
    CReplaceDlg replace(
        {"\\\\fileserver\\Shared Documents\\Quarterly Reports\\2026\\Q4 summary.xlsx", big},
        {"\\My Documents\\Reports\\Q4 summary.xlsx", big});
    SessionTable sessions;
    sessions.insert("Office", "Net,Put,\\\\pc\\docs,WG,\\Docs,\\,Copy,\\Sent,ann,secret");
    CNetSessionDlg session(SessionFormForAdd(), sessions, messages);
    tree.makeFolders({"My Documents"});
    CBrowseDlg browse(CBrowseDlg::Services{settings, tree.platform->files(),
                                           tree.platform->connections(), messages, sessionIcons},
                      QString());
    for (QDialog* dialog : std::initializer_list<QDialog*>{&replace, &session, &browse}) {
        dialog->show();
        EXPECT_EQ(ClippedTexts(*dialog), QStringList()) << dialog->windowTitle().toStdString();
    }
}

TEST_P(DialogTextsTest, EveryPageOfTheOptionsSheet)
{
    settings.Sessions.insert("Office", "Net,Put,\\\\pc\\docs,WG,\\Docs,\\,None,,ann,secret");
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
