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
    for (const char* name : {"Work/w1.dat", "Work/w2.dat"})
        main.device.write(name, "w");
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
    const Settings& kept = main.app->settings();
    EXPECT_TRUE(kept.DefaultSelect && kept.FilterExclude && !kept.Sessions.contains("old"));

    Click(shown, "refreshButton");
    Click(shown, "optionButton");
    const QByteArray saved = TempFolder::read(main.config);
    // An unseen page's values stay.
    EXPECT_TRUE(saved.contains("\r\nDefaultSession=work\r\n") &&
                saved.contains("\r\nShowInRom=Yes\r\n"))
        << saved.toStdString();
    EXPECT_EQ(shown.pathBox().text(), "\\Work\\");
    auto* refresher = shown.findChild<FileListRefresher*>();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !refresher->isRunning(); }, 20000));
    ASSERT_TRUE(WaitForEventsPostedSoFar(shown));
    QStringList rows;
    for (const FileRow& row : shown.fileList().model().rows())
        rows.append(row.session + u'/' + row.name);
    EXPECT_EQ(rows, QStringList({"work/w1.dat", "work/w2.dat"}));
}

// Takes the URLs that the desktop would open.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }
};

// The Net page's keyring box: ticked as the file says, and OK moves the
// passwords to where it now says; a keyring that cannot be reached at start
// is said in one message, and the sessions keep what the file holds.
TEST(OptionButtonTest, TheKeyringBoxMovesThePasswordsOnOk)
{
    MainWindowFixture main;
    main.device.write("Home/a.txt", "a");
    main.keyring.items = {{"home", "\\\\pc\\docs", "ann", "from the keyring"}};
    CSendDlg& shown =
        main.open("Keyring=Yes\r\nDefaultSession=home",
                  "home=Net,Put,\\\\pc\\docs,WG,\\Home,\\,None,,ann,", {{}, OnOption, {}, {}, {}});
    EXPECT_EQ(main.app->settings().Sessions.find("home")->net.Password, "from the keyring");
    const auto setBox = [](bool ticked) {
        return [ticked](QDialog& dialog) {
            auto& sheet = static_cast<COptions&>(dialog);
            sheet.tabs().setCurrentIndex(2);
            auto* box = sheet.findChild<QCheckBox*>("keyringBox");
            EXPECT_NE(box->isChecked(), ticked);
            box->setChecked(ticked);
            sheet.accept();
        };
    };
    auto user =
        std::make_unique<ModalScript>(QList<ModalScript::Step>{setBox(false), setBox(true)});
    Click(shown, "optionButton");
    QByteArray saved = TempFolder::read(main.config);
    EXPECT_TRUE(saved.contains(",ann,from the keyring\r\n") && !saved.contains("Keyring"))
        << saved.toStdString();
    EXPECT_TRUE(main.keyring.items.isEmpty());

    Click(shown, "optionButton");
    saved = TempFolder::read(main.config);
    EXPECT_TRUE(saved.contains("\r\nKeyring=Yes\r\n") && saved.contains(",ann,\r\n"))
        << saved.toStdString();
    EXPECT_EQ(main.keyring.password("home"), "from the keyring");
    EXPECT_EQ(main.boxes.texts, QStringList());
    // From here on, message boxes are the fixture's to answer.
    user.reset();

    main.keyring.status = KeyringResult::Status::Unavailable;
    main.open("Keyring=Yes\r\nDefaultSession=home",
              "home=Net,Put,\\\\pc\\docs,WG,\\Home,\\,None,,ann,");
    EXPECT_EQ(main.boxes.texts.filter("The desktop keyring cannot be reached: ").size(), 1);
    EXPECT_EQ(main.app->settings().Sessions.find("home")->net.Password, "");
}

// The About page keeps the name and version, and names the configuration
// file the window uses, the state folder and the licence; its link opens the
// README, also at a path that HTML and URLs write differently. Without a
// README it says so.
TEST(OptionButtonTest, AboutNamesTheFilesInUseAndItsLinkOpensTheReadme)
{
    MainWindowFixture main;
    main.device.write("Home/a.txt", "a");
    CSendDlg& shown =
        main.open("DefaultSession=home", "home=Net,Put,\\\\pc\\docs,WG,\\Home,\\,None,,a,p",
                  {{}, OnOption, {}, {}, {}});
    const QString readme = main.device.write("doc & notes/READ ME#1.md", "# Tarvo");
    const QString state = main.device.filePath("state/tarvo");
    UrlCatcher desktop;
    QDesktopServices::setUrlHandler("file", &desktop, "open");
    QList<QStringList> pages;
    const auto readPage = [&](QDialog& dialog) {
        auto& sheet = static_cast<COptions&>(dialog);
        sheet.tabs().setCurrentIndex(3);
        ASSERT_TRUE(QTest::qWaitFor([&] { return sheet.tabs().currentWidget()->isVisible(); }));
        QStringList texts =
            Texts(sheet, {"aboutText", "aboutLicence", "aboutConfig", "aboutState"});
        auto* link = sheet.findChild<QLabel*>("aboutReadme");
        texts.append(link->openExternalLinks() ? link->toolTip() : link->text());
        QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(3, link->fontMetrics().height() / 2));
        pages.append(texts);
        sheet.reject();
    };
    ModalScript user({readPage, readPage});
    main.app->setAboutPaths(state, readme);
    Click(shown, "optionButton");
    main.app->setAboutPaths(state, QString());
    Click(shown, "optionButton");
    QDesktopServices::unsetUrlHandler("file");

    const QStringList facts{"Tarvo " + ProgramVersion(), "Licence: " + ProgramLicence(),
                            main.config, state};
    EXPECT_EQ(pages, QList<QStringList>(
                         {facts + QStringList(readme), facts + QStringList("not installed")}));
    EXPECT_EQ(desktop.opened, QList<QUrl>{QUrl::fromLocalFile(readme)});
}

} // namespace
} // namespace tarvo::test

#include "OptionsSheetTest.moc"
