#include "core/filelist/FileListModel.h"
#include "gui/main/FileListCtrl.h"
#include "gui/main/SendApp.h"
#include "gui/main/SendDlg.h"
#include "tests/gui/MessageBoxWatcher.h"
#include "tests/support/SambaServer.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>

namespace tarvo::test {
namespace {

using SilentServerWindowTest = SambaTest;

// The main window lists a Get session whose server accepts the connection and
// never answers. The window keeps handling events while the refresh waits,
// the refresh gives up within seconds with one message, and the other
// session's files are listed.
TEST_F(SilentServerWindowTest, TheWindowStaysResponsiveWhileAServerDoesNotAnswer)
{
    SilentServer silent;
    ASSERT_NE(silent.port(), 0);
    TempFolder device;
    device.write(QStringLiteral("docs/a.txt"), "a");
    const QString config =
        device.write(QStringLiteral("tarvo.txt"),
                     QStringLiteral("[Setting]\r\nDefaultSession=Silent,Office\r\n[Session]\r\n"
                                    "Silent=Net,Get,\\\\%1\\share,WG,\\In,\\,None,,tester,x\r\n"
                                    "Office=Net,Put,%2,WG,\\docs,\\out,None,,tester,%3\r\n")
                         .arg(silent.server(), samba().shareText(), samba().password())
                         .toLocal8Bit());
    CSendApp app(config, device.path());
    ASSERT_TRUE(app.InitSockets());
    ASSERT_TRUE(app.LoadConfiguration());
    app.CreateImageLists();
    MessageBoxWatcher boxes;

    // The longest time the window's thread went without handling its timer.
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longestGap = qMax(longestGap, sinceTick.restart()); });
    {
        CSendDlg window(app);
        QSignalSpy refreshed(&window, &CSendDlg::refreshFinished);
        QElapsedTimer refresh;
        refresh.start();
        sinceTick.start();
        ticker.start(20);
        window.show();
        ASSERT_TRUE(refreshed.wait(20000)) << "the refresh did not give up";
        EXPECT_LT(refresh.elapsed(), 20000);
        EXPECT_EQ(window.fileList().model().rowCount(), 1);
        ticker.stop();
    }
    EXPECT_LT(longestGap, 1000);
    EXPECT_EQ(
        boxes.texts(),
        QStringList({QStringLiteral("Failed to map to network share \\\\%1\\share\r\nThe server at "
                                    "127.0.0.1, port %2, did not answer within 5 seconds.")
                         .arg(silent.server())
                         .arg(silent.port())}));
}

} // namespace
} // namespace tarvo::test
