// The Options sheet on its own and as the main window's Option button runs it.
#include "tests/support/UiTestSupport.h"

namespace tarvo::test {
namespace {

void Click(QWidget& parent, const char* name)
{
    QTest::mouseClick(parent.findChild<QAbstractButton*>(name), Qt::LeftButton);
}

void TypeText(QWidget& parent, const char* box, const QString& text)
{
    QLineEdit* edit = parent.findChild<QComboBox*>(box)->lineEdit();
    edit->selectAll();
    edit->del();
    QTest::keyClicks(edit, text);
}

// The Option button's user: ticks the session on the Net page, then clicks.
ModalScript::Step TickAndClick(const QString& session, QList<const char*> buttons,
                               QDialogButtonBox::StandardButton end)
{
    return [=](QDialog& dialog) {
        auto& sheet = static_cast<COptions&>(dialog);
        sheet.tabs().setCurrentIndex(2);
        CCheckListCtrl& list = sheet.netPage().list();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.stateIconRect(sheet.netPage().FindRow(session)).center());
        for (const char* button : buttons)
            Click(sheet, button);
        QTest::mouseClick(sheet.findChild<QDialogButtonBox*>()->button(end), Qt::LeftButton);
    };
}

struct ChoiceCase
{
    const char* name;
    int stored;
    const char* typed; // null: left as shown
    const char* shown;
    int read;
};

class OptionsSheetTest : public ::testing::TestWithParam<ChoiceCase>
{
protected:
    std::unique_ptr<COptions> open()
    {
        auto sheet = std::make_unique<COptions>(
            "Options", OptionsContext{settings, messages, sessionIcons, checkBoxes,
                                      QIcon(":/res/icon128_32.xpm"), "Tarvo 1.1"});
        sheet->show();
        return sheet;
    }

    Settings settings;
    ScriptedMessageService messages;
    ImageList sessionIcons = SessionIcons();
    ImageList checkBoxes = CheckBoxes();
};

TEST_F(OptionsSheetTest, OpensOnGeneralAndRebuildsTheMaskOnlyFromAShownFilterPage)
{
    settings.ShowAttributes = 0xA7; // 0x80 is none of the boxes: kept while the page is unseen
    EXPECT_EQ(open()->filterValues().attributeMask, 0xA7u);
    const auto sheet = open();
    QStringList captions;
    for (int i = 0; i < sheet->tabs().count(); ++i)
        captions.append(sheet->tabs().tabText(i));
    EXPECT_EQ(captions, QStringList({"General", "Filter", "Net", "About"}));
    EXPECT_EQ(sheet->tabs().currentIndex(), 0);
    EXPECT_EQ(sheet->findChild<QLabel*>("aboutText")->text(), "Tarvo 1.1");
    EXPECT_FALSE(sheet->findChild<QLabel*>("aboutIcon")->pixmap().isNull());

    sheet->tabs().setCurrentIndex(1);
    EXPECT_EQ(sheet->filterValues().attributeMask, 0x27u);
    for (const char* box : {"readOnlyBox", "archiveBox", "hiddenBox", "systemBox"})
        Click(*sheet, box);
    EXPECT_EQ(sheet->filterValues().attributeMask, 0u);
    TypeText(*sheet, "patternsBox", "  *.TXT ; *.doc;");
    CopyIntoSettings(sheet->generalValues(), sheet->filterValues(), settings);
    EXPECT_EQ(settings.Filter, "  *.TXT ; *.doc;");
}

TEST_P(OptionsSheetTest, DefaultChoiceIsShownAsYesNoOrNoneAndReadInAnyLetterCase)
{
    settings.DefaultChoice = GetParam().stored;
    const auto sheet = open();
    auto* box = sheet->findChild<QComboBox*>("defaultChoiceBox");
    EXPECT_EQ(box->itemText(0) + box->itemText(1) + box->itemText(2), "NoNoneYes");
    EXPECT_EQ(box->currentText(), GetParam().shown);
    if (GetParam().typed)
        TypeText(*sheet, "defaultChoiceBox", GetParam().typed);
    CopyIntoSettings(sheet->generalValues(), sheet->filterValues(), settings);
    EXPECT_EQ(settings.DefaultChoice, GetParam().read);
}

INSTANTIATE_TEST_SUITE_P(Choices, OptionsSheetTest,
                         ::testing::Values(ChoiceCase{"StoredYes", 2, nullptr, "Yes", 2},
                                           ChoiceCase{"StoredNo", 4, nullptr, "No", 4},
                                           ChoiceCase{"StoredUnknown", 3, nullptr, "None", 0},
                                           ChoiceCase{"TypedY", 0, "y", "None", 2},
                                           ChoiceCase{"TypedMixedYes", 0, "yEs", "None", 2},
                                           ChoiceCase{"TypedMixedNo", 2, "nO", "Yes", 4},
                                           ChoiceCase{"TypedEmpty", 2, "", "Yes", 0},
                                           ChoiceCase{"TypedTrailingSpace", 2, "yes ", "Yes", 0},
                                           ChoiceCase{"TypedOther", 2, "Nope", "Yes", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// The sheet as the Option button runs it, over a real configuration file.
class OptionButtonTest : public ::testing::Test, public MainWindowFixture
{
protected:
    CSendDlg& openWindow()
    {
        device.write("Work/w1.dat", "w");
        device.write("Work/w2.dat", "w");
        CSendDlg& shown =
            open("Filter=*.txt\r\nFilterExclude=Yes\r\nShowInRom=Yes\r\nDefaultSession=home",
                 "home=Net,Put,\\\\pc\\docs,WG,\\Home,\\,None,,ann,pw\r\n"
                 "work=Net,Put,\\\\pc\\work,WG,\\Work,\\,Copy,\\Done,bob,a,b",
                 {{}, OnOption, {}});
        written = TempFolder::read(config);
        return shown;
    }
    QByteArray written;
};

TEST_F(OptionButtonTest, CancelWritesNothingButNetChangesStayInMemory)
{
    openWindow();
    ModalScript user({[](QDialog& sheet) {
        Click(sheet, "selectAllBox");
        static_cast<COptions&>(sheet).tabs().setCurrentIndex(1);
        Click(sheet, "excludeBox");
        TickAndClick("work", {"removeButton"}, QDialogButtonBox::Cancel)(sheet);
    }});
    Click(*window, "optionButton");
    EXPECT_EQ(user.titles, QStringList{"Options"});
    EXPECT_EQ(TempFolder::read(config), written);
    EXPECT_TRUE(app->settings().DefaultSelect);
    EXPECT_TRUE(app->settings().FilterExclude);
    EXPECT_FALSE(app->settings().Sessions.contains("work"));
}

// Option pressed right after Refresh, while the refresh lists a big folder
// from its own copy of the settings: OK writes the file, and the window
// lists only the new first default session's files, each once.
TEST_F(OptionButtonTest, OkDuringARefreshWritesTheFileAndListsTheNewDefaultSessionOnly)
{
    for (int i = 0; i < 2000; ++i)
        device.write(QStringLiteral("Home/h%1.dat").arg(i), "h");
    CSendDlg& shown = openWindow();
    ModalScript user({TickAndClick("work", {"setDefaultButton"}, QDialogButtonBox::Ok)});
    Click(shown, "refreshButton");
    Click(shown, "optionButton");
    EXPECT_EQ(user.titles, QStringList{"Options"});
    const QByteArray saved = TempFolder::read(config);
    EXPECT_TRUE(saved.contains("\r\nDefaultSession=work\r\n")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("\r\nShowInRom=Yes\r\n")) << "an unseen page's values stay";
    EXPECT_EQ(shown.pathBox().text(), "\\Work\\");
    const auto rows = [&] {
        QStringList rows;
        for (const FileRow& row : shown.fileList().model().rows())
            rows.append(row.session + u'/' + row.name);
        return rows;
    };
    const QStringList expected{"work/w1.dat", "work/w2.dat"};
    EXPECT_TRUE(QTest::qWaitFor([&] { return rows() == expected; }, 20000))
        << rows().join(' ').toStdString();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !shown.findChild<FileListRefresher*>()->isRunning(); }));
    ASSERT_TRUE(WaitForEventsPostedSoFar(shown));
    EXPECT_EQ(rows(), expected);
}

} // namespace
} // namespace tarvo::test
