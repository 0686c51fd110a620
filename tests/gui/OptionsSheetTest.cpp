// The Options sheet on its own and as the main window's Option button runs it.
#include "tests/support/UiTestSupport.h"

namespace tarvo::test {
namespace {

// The sheet as the Option button runs it, over a real configuration file:
// Cancel writes nothing, but the Net page's changes stay in memory. OK pressed
// right after Refresh, while the refresh lists a big folder from its own copy
// of the settings, writes the file, and the window lists only the new first
// default session's files, each once.
TEST(OptionButtonTest, CancelWritesNothingAndOkDuringARefreshListsTheNewDefaultSession)
{
    MainWindowFixture main;
    for (int i = 0; i < 2000; ++i)
        main.device.write(QStringLiteral("Home/h%1.dat").arg(i), "h");
    main.device.write("Work/w1.dat", "w");
    main.device.write("Work/w2.dat", "w");
    CSendDlg& shown =
        main.open("Filter=*.txt\r\nFilterExclude=Yes\r\nShowInRom=Yes\r\nDefaultSession=home",
                  "home=Net,Put,\\\\pc\\docs,WG,\\Home,\\,None,,ann,pw\r\n"
                  "work=Net,Put,\\\\pc\\work,WG,\\Work,\\,Copy,\\Done,bob,a,b\r\n"
                  "old=Net,Put,\\\\pc\\old,WG,\\Old,\\,None,,c,d",
                  {{}, OnOption, {}, {}, {}});
    const QByteArray written = TempFolder::read(main.config);
    // The user ticks a session on the Net page and presses one of its buttons.
    ModalScript user({[](QDialog& dialog) {
                          auto& sheet = static_cast<COptions&>(dialog);
                          Click(sheet, "selectAllBox");
                          sheet.tabs().setCurrentIndex(1);
                          Click(sheet, "excludeBox");
                          sheet.tabs().setCurrentIndex(2);
                          Tick(sheet.netPage(), "old");
                          Click(sheet, "removeButton");
                          sheet.reject();
                      },
                      [](QDialog& dialog) {
                          auto& sheet = static_cast<COptions&>(dialog);
                          sheet.tabs().setCurrentIndex(2);
                          Tick(sheet.netPage(), "work");
                          Click(sheet, "setDefaultButton");
                          sheet.accept();
                      }});
    Click(shown, "optionButton");
    EXPECT_EQ(TempFolder::read(main.config), written);
    EXPECT_TRUE(main.app->settings().DefaultSelect);
    EXPECT_TRUE(main.app->settings().FilterExclude);
    EXPECT_FALSE(main.app->settings().Sessions.contains("old"));

    Click(shown, "refreshButton");
    Click(shown, "optionButton");
    const QByteArray saved = TempFolder::read(main.config);
    EXPECT_TRUE(saved.contains("\r\nDefaultSession=work\r\n")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("\r\nShowInRom=Yes\r\n")) << "an unseen page's values stay";
    EXPECT_EQ(shown.pathBox().text(), "\\Work\\");
    auto* refresher = shown.findChild<FileListRefresher*>();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !refresher->isRunning(); }, 20000));
    ASSERT_TRUE(WaitForEventsPostedSoFar(shown));
    QStringList rows;
    for (const FileRow& row : shown.fileList().model().rows())
        rows.append(row.session + u'/' + row.name);
    EXPECT_EQ(rows, QStringList({"work/w1.dat", "work/w2.dat"}));
}

} // namespace
} // namespace tarvo::test
