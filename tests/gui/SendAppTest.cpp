#include "gui/main/SendApp.h"

#include "config/ConfigCheck.h"
#include "tests/gui/MessageBoxWatcher.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QImage>

namespace tarvo {
namespace {

TEST(SendApp, CutsTheSessionAndCheckBoxBitmapsIntoTransparentCells)
{
    test::TempFolder device;
    CSendApp app(device.filePath("tarvo.txt"), device.path());
    app.CreateImageLists();
    ASSERT_EQ(app.sessionIcons().count(), 14);
    ASSERT_EQ(app.checkBoxIcons().count(), 2);
    for (int cell : {0, 1, 2, 12, 13}) {
        const QImage image = app.sessionIcons().pixmap(cell).toImage();
        EXPECT_EQ(image.size(), QSize(16, 16)) << cell;
        // The magenta background is see-through; the picture is not.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << cell;
        EXPECT_GT(std::count_if(image.constBits(), image.constBits() + image.sizeInBytes(),
                                [](uchar byte) { return byte != 0; }),
                  0);
    }
    // Unticked and ticked differ; red would be see-through, so nothing is drawn in red.
    EXPECT_NE(app.checkBoxIcons().pixmap(0).toImage(), app.checkBoxIcons().pixmap(1).toImage());
    EXPECT_EQ(app.checkBoxIcons().pixmap(0).toImage().pixelColor(8, 8).alpha(), 255);
    // The window icon in both sizes.
    EXPECT_EQ(app.appIcon().availableSizes(), (QList<QSize>{QSize(16, 16), QSize(32, 32)}));
}

TEST(SendApp, AMissingConfigurationAsksAndCancelEndsTheStart)
{
    test::TempFolder device;
    const QString path = device.filePath("missing.txt");
    {
        test::MessageBoxWatcher boxes(QMessageBox::Cancel);
        CSendApp app(path, device.path());
        EXPECT_EQ(app.InitInstance(), 1);
        EXPECT_EQ(
            boxes.texts(),
            QStringList{
                QStringLiteral("No configuration file\r\n%1\r\nUse default settings?").arg(path)});
    }
    {
        test::MessageBoxWatcher boxes(QMessageBox::Ok);
        CSendApp app(path, device.path());
        ASSERT_TRUE(app.InitSockets());
        EXPECT_TRUE(app.LoadConfiguration());
        EXPECT_EQ(boxes.texts().size(), 1);
        EXPECT_EQ(app.settings().ShowAttributes, 0x27u);
        EXPECT_TRUE(app.settings().DefaultSelect);
        EXPECT_FALSE(QFile::exists(path)); // written only by Options with OK
    }
}

TEST(SendApp, MistakesInTheConfigurationShowOneMessageAtStart)
{
    test::TempFolder device;
    const QString path =
        device.write("tarvo.txt", "[Setting]\r\nDefaultSession=Office,Ofice\r\n[Session]\r\n"
                                  "Office=Net,Putt,\\\\pc\\docs,W,\\,\\,Mov,,u,p\r\n");
    test::MessageBoxWatcher boxes;
    CSendApp app(path, device.path());
    ASSERT_TRUE(app.InitSockets());
    EXPECT_TRUE(app.LoadConfiguration());
    EXPECT_EQ(boxes.texts(),
              QStringList{ConfigurationNotesMessage(
                  path, {"Session \"Office\": unknown direction \"Putt\"; it is taken as None.",
                         "Session \"Office\": unknown post-operation \"Mov\"; it is taken as None.",
                         "DefaultSession names \"Ofice\", which is no session."})});
    EXPECT_EQ(boxes.icons(), QList<QMessageBox::Icon>{QMessageBox::Information});
    EXPECT_EQ(app.settings().DefaultSession, (QStringList{"Office", "Ofice"}));
}

} // namespace
} // namespace tarvo
