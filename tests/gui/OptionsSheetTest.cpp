#include "config/PathHelpers.h"
#include "config/Settings.h"
#include "core/filelist/FileListRefresher.h"
#include "gui/main/FileListCtrl.h"
#include "gui/main/ImageLists.h"
#include "gui/main/SendApp.h"
#include "gui/main/SendDlg.h"
#include "gui/options/FilterPage.h"
#include "gui/options/GeneralPage.h"
#include "gui/options/NetPage.h"
#include "gui/options/OptionHandler.h"
#include "gui/options/Options.h"
#include "gui/widgets/CheckListCtrl.h"
#include "tests/gui/ModalScript.h"
#include "tests/support/ScriptedMessageService.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

namespace tarvo {
namespace {

using test::ModalScript;

template <typename T> T& Child(QWidget& parent, const char* name)
{
    T* child = parent.findChild<T*>(QLatin1String(name));
    EXPECT_NE(child, nullptr) << name;
    return *child;
}

void Click(QWidget& parent, const char* name)
{
    QTest::mouseClick(&Child<QAbstractButton>(parent, name), Qt::LeftButton);
}

void PressButton(QDialog& dialog, QDialogButtonBox::StandardButton which)
{
    QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(which), Qt::LeftButton);
}

void TypeText(QComboBox& box, const QString& text)
{
    box.lineEdit()->selectAll();
    box.lineEdit()->del();
    QTest::keyClicks(box.lineEdit(), text);
}

// The sheet on its own, over settings of the test's making.
class OptionsSheetTest : public ::testing::Test
{
protected:
    std::unique_ptr<COptions> open()
    {
        auto sheet = std::make_unique<COptions>(
            QStringLiteral("Options"), OptionsContext{settings, messages, sessionIcons, checkBoxes,
                                                      QIcon(icon), QStringLiteral("Tarvo 1.1")});
        sheet->show();
        return sheet;
    }

    Settings settings;
    test::ScriptedMessageService messages;
    ImageList sessionIcons =
        ImageList::fromStrip(QStringLiteral(":/res/bitmap131.xpm"), 16, QColor(255, 0, 255));
    ImageList checkBoxes =
        ImageList::fromStrip(QStringLiteral(":/res/bitmap140.xpm"), 16, QColor(255, 0, 0));
    QPixmap icon = QPixmap(QStringLiteral(":/res/icon128_32.xpm"));
};

TEST_F(OptionsSheetTest, HasItsFourPagesInOrderAndOpensOnGeneral)
{
    const auto sheet = open();
    EXPECT_EQ(sheet->windowTitle(), "Options");
    QStringList captions;
    for (int i = 0; i < sheet->tabs().count(); ++i)
        captions.append(sheet->tabs().tabText(i));
    EXPECT_EQ(captions, QStringList({"General", "Filter", "Net", "About"}));
    EXPECT_EQ(sheet->tabs().currentIndex(), 0);
    EXPECT_EQ(Child<QLabel>(*sheet, "aboutText").text(), "Tarvo 1.1");
    EXPECT_FALSE(Child<QLabel>(*sheet, "aboutIcon").pixmap().isNull());
}

TEST_F(OptionsSheetTest, DefaultChoiceIsShownAsYesNoOrNone)
{
    const struct
    {
        int stored;
        const char* shown;
    } cases[] = {{2, "Yes"}, {4, "No"}, {0, "None"}, {3, "None"}};
    for (const auto& c : cases) {
        settings.DefaultChoice = c.stored;
        const auto sheet = open();
        const QComboBox& box = Child<QComboBox>(*sheet, "defaultChoiceBox");
        EXPECT_EQ(box.currentText(), c.shown);
        EXPECT_EQ(box.itemText(0) + box.itemText(1) + box.itemText(2), "NoNoneYes");
        // OK without a change gives the value back (3 was never a choice: it becomes ask).
        Settings copy = settings;
        CopyIntoSettings(sheet->generalValues(), sheet->filterValues(), copy);
        EXPECT_EQ(copy.DefaultChoice, c.stored == 3 ? 0 : c.stored);
    }
}

TEST_F(OptionsSheetTest, TypedDefaultChoiceIsReadRegardlessOfCase)
{
    const struct
    {
        const char* typed;
        int choice;
    } cases[] = {{"y", 2},    {"YES", 2}, {"yEs", 2},  {"N", 4},    {"no", 4},    {"nO", 4},
                 {"None", 0}, {"", 0},    {"yes ", 0}, {"Nope", 0}, {"maybe", 0}, {"1", 0}};
    for (const auto& c : cases) {
        settings.DefaultChoice = 2;
        const auto sheet = open();
        TypeText(Child<QComboBox>(*sheet, "defaultChoiceBox"), c.typed);
        CopyIntoSettings(sheet->generalValues(), sheet->filterValues(), settings);
        EXPECT_EQ(settings.DefaultChoice, c.choice) << '"' << c.typed << '"';
    }
}

TEST_F(OptionsSheetTest, TheMaskIsRebuiltOnlyFromAShownFilterPage)
{
    // 0x80 is none of the five boxes: it survives only while the page is unseen.
    const struct
    {
        bool visit;
        bool clearAll;
        quint32 mask;
    } cases[] = {{false, false, 0xA7}, {true, false, 0x27}, {true, true, 0x00}};
    for (const auto& c : cases) {
        settings.ShowAttributes = 0xA7;
        const auto sheet = open();
        if (c.visit)
            sheet->tabs().setCurrentIndex(1);
        if (c.clearAll) {
            for (const char* box : {"readOnlyBox", "archiveBox", "hiddenBox", "systemBox"})
                Click(*sheet, box);
            EXPECT_FALSE(Child<QCheckBox>(*sheet, "inRomBox").isChecked());
        }
        EXPECT_EQ(sheet->filterValues().attributeMask, c.mask) << c.visit << c.clearAll;
    }
}

TEST_F(OptionsSheetTest, PatternsAreStoredExactlyAsTyped)
{
    settings.Filter = QStringLiteral("*.*");
    const auto sheet = open();
    sheet->tabs().setCurrentIndex(1);
    TypeText(Child<QComboBox>(*sheet, "patternsBox"), "  *.TXT ; *.doc;");
    Click(*sheet, "excludeBox");
    CopyIntoSettings(sheet->generalValues(), sheet->filterValues(), settings);
    EXPECT_EQ(settings.Filter, "  *.TXT ; *.doc;");
    EXPECT_TRUE(settings.FilterExclude);
}

// The sheet as the main window's Option button runs it, over a real
// configuration file.
class OptionButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        configPath = config.write("tarvo.txt", InitialFile);
        device.write("Home/a.txt", "a");
        device.write("Work/b.txt", "b");
        ASSERT_TRUE(app.InitSockets());
        ASSERT_TRUE(app.LoadConfiguration());
        app.CreateImageLists();
        CSendDlg::Handlers handlers;
        handlers.option = OnOption;
        window = std::make_unique<CSendDlg>(app, handlers);
        window->show();
    }

    static constexpr const char InitialFile[] =
        "[Setting]\r\n"
        "Filter=*.txt\r\n"
        "FilterExclude=Yes\r\n"
        "ShowInRom=Yes\r\n"
        "DefaultChoice=No\r\n"
        "DefaultSelect=No\r\n"
        "DefaultSession=home\r\n"
        "[Session]\r\n"
        "home=Net,Put,\\\\pc\\docs,WG,\\Home,\\,None,,ann,pw\r\n"
        "work=Net,Put,\\\\pc\\work,WG,\\Work,\\,Copy,\\Done,bob,a,b\r\n";

    test::TempFolder config;
    test::TempFolder device;
    QString configPath;
    CSendApp app{config.filePath("tarvo.txt"), device.path()};
    std::unique_ptr<CSendDlg> window;
};

TEST_F(OptionButtonTest, CancelWritesNothingButNetChangesStayInMemory)
{
    ModalScript script({[](QDialog& sheet) {
        Click(sheet, "showFoldersBox");
        Click(sheet, "selectAllBox");
        auto& options = static_cast<COptions&>(sheet);
        options.tabs().setCurrentIndex(1);
        Click(sheet, "excludeBox");
        options.tabs().setCurrentIndex(2);
        CCheckListCtrl& list = options.netPage().list();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.stateIconRect(options.netPage().FindRow("work")).center());
        Click(sheet, "removeButton");
        PressButton(sheet, QDialogButtonBox::Cancel);
    }});
    Click(*window, "optionButton");
    ASSERT_EQ(script.dialogsSeen(), 1);

    EXPECT_EQ(test::TempFolder::read(configPath), QByteArray(InitialFile));
    const Settings& settings = app.settings();
    EXPECT_FALSE(settings.ShowFolder);
    EXPECT_FALSE(settings.DefaultSelect);
    EXPECT_TRUE(settings.FilterExclude);
    EXPECT_FALSE(settings.Sessions.contains("work"));
}

// Option pressed right after Refresh: the sheet is built and changes the
// sessions while the refresh still lists a big folder from its own copy of
// the settings. OK writes the file, and the window follows the new first
// default session: the refresh after OK shows only its files, each once.
TEST_F(OptionButtonTest, OkDuringARefreshWritesTheFileAndListsTheNewDefaultSessionOnly)
{
    for (int i = 0; i < 2000; ++i)
        device.write(QStringLiteral("Home/h%1.dat").arg(i), "h");
    device.write("Work/w1.dat", "w");
    device.write("Work/w2.dat", "w");
    auto* refresher = window->findChild<FileListRefresher*>();
    ASSERT_NE(refresher, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !refresher->isRunning(); }, 10000));

    ModalScript script({[](QDialog& sheet) {
        auto& options = static_cast<COptions&>(sheet);
        options.tabs().setCurrentIndex(2);
        CCheckListCtrl& list = options.netPage().list();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          list.stateIconRect(options.netPage().FindRow("work")).center());
        Click(sheet, "setDefaultButton");
        PressButton(sheet, QDialogButtonBox::Ok);
    }});
    Click(*window, "refreshButton");
    Click(*window, "optionButton");
    ASSERT_EQ(script.dialogsSeen(), 1);
    EXPECT_EQ(app.settings().DefaultSession, QStringList{"work"});
    const QByteArray written = test::TempFolder::read(configPath);
    EXPECT_TRUE(written.contains("\r\nDefaultSession=work\r\n")) << written.toStdString();
    // The Filter page was never shown: its settings are written as they were.
    EXPECT_TRUE(written.contains("\r\nShowInRom=Yes\r\nDefaultSession")) << written.toStdString();
    EXPECT_EQ(window->SessionText(), "work");
    EXPECT_EQ(window->pathBox().text(), "\\Work\\");

    ASSERT_TRUE(QTest::qWaitFor([&] { return !refresher->isRunning(); }, 20000));
    QStringList rows;
    for (const FileRow& row : window->fileList().model().rows())
        rows.append(row.session + u'/' + row.name);
    EXPECT_EQ(rows, (QStringList{"work/w1.dat", "work/w2.dat"}));
}

} // namespace
} // namespace tarvo
