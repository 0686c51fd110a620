// The main window as the program starts it: an ordinary top-level window of
// a comfortable size whose boxes and list follow its width, whose texts fit
// at the normal and at twice the normal font size, and which keeps its size
// and place between runs in a state file of its own.
#include "config/NetSession.h"
#include "config/StartOptions.h"
#include "core/filelist/FileListTexts.h"
#include "gui/main/FileListCtrl.h"
#include "gui/main/SendApp.h"
#include "gui/main/WindowState.h"
#include "tests/gui/ClippedTexts.h"
#include "tests/gui/MessageBoxWatcher.h"
#include "tests/support/TempFiles.h"
#include "tests/support/UiTestSupport.h"

#include <functional>
#include <gtest/gtest.h>
#include <numeric>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace tarvo {
namespace {

// The texts of the window's labels, buttons, column headers, dates and sizes
// that do not fit in the room their control gives them.
QStringList WindowClippedTexts(CSendDlg& window)
{
    QStringList clipped = ClippedTexts(window);
    const auto check = [&](const QWidget& control, const QString& text, QRect room) {
        const QFontMetrics metrics(control.font());
        if (control.isVisible() &&
            (metrics.horizontalAdvance(text) > room.width() || metrics.height() > room.height()))
            clipped.append(text);
    };
    CFileListCtrl& list = window.fileList();
    const int header = 2 * list.style()->pixelMetric(QStyle::PM_HeaderMargin);
    const int cell = 2 * (list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
    for (int column = 0; column < FileListColumns::Count; ++column) {
        const auto room = [&](int margins) {
            return QRect(0, 0, list.columnWidth(column) - margins, list.height());
        };
        check(list, list.model().headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(),
              room(header));
        const bool cells = column == FileListColumns::Date || column == FileListColumns::Size;
        for (int row = 0; cells && row < list.model().rowCount(); ++row)
            check(list, list.model().index(row, column).data().toString(), room(cell));
    }
    return clipped;
}

QList<int> ColumnWidths(const CFileListCtrl& list)
{
    QList<int> widths;
    for (int column = 0; column < FileListColumns::Count; ++column)
        widths.append(list.columnWidth(column));
    return widths;
}

int Sum(const QList<int>& values)
{
    return std::accumulate(values.cbegin(), values.cend(), 0);
}

QRect Available()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        device.write("docs/a.txt", "x");
        device.write("docs/survey.pdf", QByteArray(250000, 'x'));
        config = configFolder.write("tarvo.txt", configBytes);
    }

    // Runs the program's start-up: once its window is up, act() works it,
    // then Exit closes it and the start-up ends.
    void run(const std::function<void(CSendDlg&)>& act) const
    {
        CSendApp app(config, device.path());
        app.setWindowStatePath(statePath);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* window = qobject_cast<CSendDlg*>(widget); window && window->isVisible()) {
                    poll.stop();
                    act(*window);
                    window->findChild<QPushButton*>("exitButton")->click();
                }
            }
        });
        poll.start(10);
        EXPECT_EQ(app.InitInstance(), 0);
    }

    QRect geometryOfARun() const
    {
        QRect geometry;
        run([&](CSendDlg& window) { geometry = window.geometry(); });
        return geometry;
    }

    test::TempFolder device;
    test::TempFolder configFolder;
    test::TempFolder stateFolder;
    const QString statePath = stateFolder.filePath("tarvo/window.ini");
    const QByteArray configBytes = "[Setting]\r\nEnableOption=Yes\r\nDefaultSession=Office\r\n"
                                   "[Session]\r\nOffice=" +
                                   test::PutLine("\\docs").toLatin1() + "\r\n";
    QString config;
    test::MessageBoxWatcher boxes;
};

TEST(MainWindowPlace, StartSizeAndStateFile)
{
    EXPECT_EQ(StartWindowSize(QSize(1280, 800)), QSize(640, 480));
    EXPECT_EQ(StartWindowSize(QSize(1920, 1040)), QSize(640, 480));
    EXPECT_EQ(StartWindowSize(QSize(800, 600)), QSize(533, 400)) << "two thirds of a small one";
    EXPECT_EQ(StartWindowSize(QSize(480, 640)), QSize(320, 426));

    const QByteArray before = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", "/var/state");
    EXPECT_EQ(StartOptions().windowStatePath(), "/var/state/tarvo/window.ini");
    qunsetenv("XDG_STATE_HOME");
    EXPECT_EQ(StartOptions().windowStatePath(),
              QDir::homePath() + "/.local/state/tarvo/window.ini");
    if (!before.isNull())
        qputenv("XDG_STATE_HOME", before);
}

TEST_F(MainWindowTest, IsAnOrdinaryTopLevelWindowCentredAtItsStartSize)
{
    run([&](CSendDlg& window) {
        ASSERT_NE(window.windowHandle(), nullptr);
        EXPECT_EQ(window.windowHandle()->type(), Qt::Window) << "no dialog to the window manager";
        EXPECT_EQ(window.windowHandle()->modality(), Qt::NonModal);
        EXPECT_TRUE(window.windowFlags() & Qt::WindowMaximizeButtonHint);

        EXPECT_EQ(window.size(), StartWindowSize(Available().size()));
        // Centred as the window was before its frame came around it.
        const QPoint offCentre = window.frameGeometry().center() - Available().center();
        EXPECT_LE(offCentre.manhattanLength(), 4);
        EXPECT_LT(window.minimumWidth(), window.width());
        EXPECT_LT(window.minimumHeight(), window.height());
        EXPECT_GT(window.minimumHeight(), 200) << "the list keeps a few rows";

        // Esc, which ends a dialog, leaves the program's window open.
        QTest::keyClick(&window.fileList(), Qt::Key_Escape);
        EXPECT_TRUE(window.isVisible());
    });
}

TEST_F(MainWindowTest, TheBoxesTakeTheWidthTheListTheHeightAndTheColumnsShareTheWidth)
{
    run([&](CSendDlg& window) {
        const auto geometry = [&](const char* name) {
            return window.findChild<QWidget*>(QLatin1String(name))->geometry();
        };
        EXPECT_LT(geometry("selectAllButton").width(), geometry("exitButton").width());
        CFileListCtrl& list = window.fileList();
        EXPECT_EQ(Sum(ColumnWidths(list)), list.viewport()->width()) << "no column beyond it";
        const QRect pathBox = geometry("pathBox");
        const QRect sessionBox = geometry("sessionBox");
        const QSize listSize = list.size();
        const QRect send = geometry("sendButton");
        const QRect exit = geometry("exitButton");

        window.resize(window.size() + QSize(300, 100));
        EXPECT_EQ(geometry("pathBox").width(), pathBox.width() + 300);
        EXPECT_EQ(geometry("sessionBox").width(), sessionBox.width() + 300);
        EXPECT_EQ(list.size(), listSize + QSize(300, 100));
        EXPECT_EQ(geometry("sendButton").topLeft(), send.topLeft() + QPoint(0, 100));
        EXPECT_EQ(geometry("exitButton").topLeft(), exit.topLeft() + QPoint(300, 100));

        // The columns grow with the list; those wider than their texts need
        // keep their proportions (the date and size may stay at their least).
        const QList<int> before = ColumnWidths(list);
        window.resize(window.size() + QSize(300, 0));
        const QList<int> after = ColumnWidths(list);
        EXPECT_EQ(Sum(after), list.viewport()->width());
        for (int column : {int(FileListColumns::Name), int(FileListColumns::Session)}) {
            EXPECT_GT(after[column], before[column]);
            EXPECT_NEAR(double(after[column]) / after[FileListColumns::Path],
                        double(before[column]) / before[FileListColumns::Path], 0.02);
        }
    });
}

TEST_F(MainWindowTest, NoTextIsClippedAtTheNormalOrTwiceTheFontSize)
{
    run([&](CSendDlg& window) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.fileList().model().rowCount() == 2; }));
        const QFont font = QApplication::font();
        for (int scale : {1, 2}) {
            QFont scaled = font;
            if (font.pointSizeF() > 0)
                scaled.setPointSizeF(font.pointSizeF() * scale);
            else
                scaled.setPixelSize(font.pixelSize() * scale);
            window.setFont(scaled);
            for (int direction : {int(DirectionPut), int(DirectionGet)}) {
                window.SetSendLabel(direction);
                QApplication::sendPostedEvents(); // the layouts take the new sizes
                EXPECT_EQ(WindowClippedTexts(window), QStringList()) << "x" << scale;
                window.resize(window.minimumSize());
                EXPECT_EQ(WindowClippedTexts(window), QStringList()) << "x" << scale << " at least";
            }
        }
    });
}

TEST_F(MainWindowTest, KeepsItsSizeAndPlaceInItsOwnStateFileAndLeavesTheConfigurationAlone)
{
    const QRect chosen(Available().topLeft() + QPoint(30, 40), QSize(700, 450));
    run([&](CSendDlg& window) { window.setGeometry(chosen); });
    EXPECT_TRUE(QFile::exists(statePath));
    EXPECT_EQ(geometryOfARun(), chosen);
    EXPECT_EQ(test::TempFolder::read(config), configBytes) << "its bytes stay as they are";
    EXPECT_EQ(QDir(configFolder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"tarvo.txt"});
}

TEST_F(MainWindowTest, AStateItCannotUseGivesTheStartSizeAndAPlaceOnTheScreenWithoutAWord)
{
    const QRect start = geometryOfARun(); // no state file at all
    EXPECT_EQ(start.size(), StartWindowSize(Available().size()));
    for (const QByteArray& bytes : {QByteArray("\xff\xfe\x00garbage\x01", 11),
                                    QByteArray("[MainWindow]\ngeometry=@ByteArray(not one)\n")}) {
        stateFolder.write("tarvo/window.ini", bytes);
        EXPECT_EQ(geometryOfARun(), start) << bytes.toStdString();
    }
    // A folder where the file should be: nothing to read, and nothing written.
    QFile::remove(statePath);
    ASSERT_TRUE(QDir().mkpath(statePath));
    EXPECT_EQ(geometryOfARun(), start);

    // A place off every screen: Qt brings the window back with its title bar
    // on the screen (the frame's thin edges may stand out).
    QDir(statePath).removeRecursively();
    run([&](CSendDlg& window) { window.move(Available().bottomRight() + QPoint(2000, 2000)); });
    const QRect restored = geometryOfARun();
    EXPECT_EQ(restored.size(), start.size());
    EXPECT_TRUE(Available().contains(restored)) << restored.x() << "," << restored.y();
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join('\n').toStdString();
}

} // namespace
} // namespace tarvo
