// The main window as the program starts it and the start-up's messages.
#include "tests/support/UiTestSupport.h"

namespace tarvo::test {
namespace {

class MainWindowTest : public ::testing::Test, public MainWindowFixture
{
protected:
    // Ends the window shown, if any, with Exit and starts the window anew.
    CSendDlg& restart()
    {
        if (window && window->isVisible())
            button("exitButton")->click();
        device.write("docs/a.txt", "x");
        return open("DefaultSession=Office", "Office=" + PutLine("\\docs"));
    }
};

// The main window starts as an ordinary centred window, keeps its place in
// a file of its own (which a write that fails leaves as it was, and says
// so), and its boxes, list and columns follow its width.
TEST_F(MainWindowTest, StartsAsAnOrdinaryCentredWindowKeepsItsPlaceAndFollowsItsWidth)
{
    EXPECT_EQ(StartWindowSize(QSize(1920, 1040)), QSize(640, 480));
    EXPECT_EQ(StartWindowSize(QSize(800, 600)), QSize(533, 400));
    const QByteArray before = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", "/var/state");
    EXPECT_EQ(StartOptions().windowStatePath(), "/var/state/tarvo/window.ini");
    qputenv("XDG_STATE_HOME", before);

    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    CSendDlg& first = restart();
    const QRect start = first.geometry();
    EXPECT_TRUE(first.windowHandle()->type() == Qt::Window &&
                first.windowHandle()->modality() == Qt::NonModal &&
                (first.windowFlags() & Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(first.size(), StartWindowSize(available.size()));
    EXPECT_LE((first.frameGeometry().center() - available.center()).manhattanLength(), 4);
    QTest::keyClick(&first.fileList(), Qt::Key_Escape);
    EXPECT_TRUE(first.isVisible()) << "Esc leaves the window open";
    const QRect chosen(available.topLeft() + QPoint(30, 40), QSize(700, 450));
    first.setGeometry(chosen);
    const QByteArray written = TempFolder::read(config);
    button("exitButton")->click();
    EXPECT_EQ(TempFolder::read(config), written);
    EXPECT_EQ(QDir(device.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"tarvo.txt"});
    EXPECT_EQ(restart().geometry(), chosen);
    // A disk that fills up as the window closes keeps the place kept before.
    const QByteArray kept = TempFolder::read(statePath);
    window->setGeometry(chosen.translated(50, 20));
    {
        const FileSizeLimit diskFull(10);
        button("exitButton")->click();
    }
    EXPECT_EQ(TempFolder::read(statePath), kept);
    EXPECT_EQ(QDir(QFileInfo(statePath).path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"window.ini"});
    EXPECT_EQ(restart().geometry(), chosen);

    button("exitButton")->click();
    device.write("state/tarvo/window.ini", "[MainWindow]\ngeometry=@ByteArray(not one)\n");
    EXPECT_EQ(restart().geometry(), start);
    button("exitButton")->click();
    QFile::remove(statePath);
    ASSERT_TRUE(QDir().mkpath(statePath));
    EXPECT_EQ(restart().geometry(), start) << "a folder in the file's place";
    button("exitButton")->click();
    QDir(statePath).removeRecursively();
    restart().move(available.bottomRight() + QPoint(2000, 2000));
    CSendDlg& window = restart();
    EXPECT_TRUE(available.contains(window.geometry()));
    const QString failed = "Failed to write the window state file " + statePath + "\r\n";
    EXPECT_EQ(boxes.texts, QStringList({failed + "There is not enough space left on the disk.",
                                        failed + "Access is denied."}));

    // The boxes, the list and its columns follow the width; no text is clipped.
    CFileListCtrl& list = window.fileList();
    const QRect path = window.pathBox().geometry();
    const QSize listSize = list.size();
    const QPoint exit = button("exitButton")->pos();
    const double nameToPath =
        double(list.columnWidth(FileListColumns::Name)) / list.columnWidth(FileListColumns::Path);
    window.resize(window.size() + QSize(300, 100));
    EXPECT_EQ(window.pathBox().width(), path.width() + 300);
    EXPECT_EQ(list.size(), listSize + QSize(300, 100));
    EXPECT_EQ(button("exitButton")->pos(), exit + QPoint(300, 100));
    EXPECT_EQ(list.horizontalHeader()->length(), list.viewport()->width());
    EXPECT_NEAR(double(list.columnWidth(FileListColumns::Name)) /
                    list.columnWidth(FileListColumns::Path),
                nameToPath, 0.02);
    for (int scale : {1, 2}) {
        QFont font = QApplication::font();
        font.setPointSizeF(font.pointSizeF() * scale);
        window.setFont(font);
        window.SetSendLabel(TransferDirection::Get);
        QApplication::sendPostedEvents();
        EXPECT_EQ(ClippedTexts(window), QStringList()) << "x" << scale;
    }
}

// The bitmaps are cut into cells with a transparent background. A missing
// configuration file asks whether to start on default settings; Cancel ends
// the start.
TEST(SendApp, CutsTheBitmapsAndAsksForAMissingConfiguration)
{
    TempFolder device;
    MessageBoxWatcher boxes(QMessageBox::Cancel);
    const QString missing = device.filePath("missing.txt");
    CSendApp app(missing, device.path());
    EXPECT_EQ(app.InitInstance(), 1);
    EXPECT_EQ(boxes.texts,
              QStringList{"No configuration file\r\n" + missing + "\r\nUse default settings?"});
    EXPECT_FALSE(QFile::exists(missing));
    app.CreateImageLists();
    ASSERT_EQ(app.sessionIcons().count(), 14);
    for (int cell : {0, 13}) {
        const QImage image = app.sessionIcons().pixmap(cell).toImage();
        EXPECT_TRUE(qAlpha(image.pixel(0, 0)) == 0 && qAlpha(image.pixel(8, 8)) == 255) << cell;
    }
}

} // namespace
} // namespace tarvo::test
