#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>
#include <QProcess>

namespace tarvo {
namespace {

// `tarvo list` prints the rows a refresh fills, tab-separated, in list order.
TEST(ListCommand, PrintsTheRowsOfAllDefaultSessionsInListOrder)
{
    test::TempFolder device;
    device.write("docs/b.txt", QByteArray(2048, 'x'));
    device.write("docs/A.txt", "x");
    device.write("docs/skip.pdf", "x");
    device.write("pics/a.txt", "x");
    const QString config = device.write(
        "tarvo.txt",
        "[Setting]\r\nFilter=*.txt\r\nDefaultSession=Office,Pics,Nobody\r\n[Session]\r\n"
        "Office=Net,Put,\\\\pc\\docs,WG,\\docs,\\,None,,u,p\r\n"
        "Pics=Net,Put,\\\\pc\\docs,WG,\\pics\\,\\,None,,u,p\r\n");

    QProcess tarvo;
    tarvo.start(QStringLiteral(TARVO_BINARY_DIR "/app/tarvo"),
                {"--config", config, "--root", device.path(), "list"});
    ASSERT_TRUE(tarvo.waitForFinished(30000));
    EXPECT_EQ(tarvo.exitCode(), 0) << tarvo.readAllStandardError().toStdString();

    QStringList lines = QString::fromLocal8Bit(tarvo.readAllStandardOutput()).split(u'\n');
    ASSERT_EQ(lines.takeLast(), QString());
    ASSERT_EQ(lines.size(), 3);
    const QStringList expected{"A.txt|0k|\\docs\\|Office", "a.txt|0k|\\pics\\|Pics",
                               "b.txt|2k|\\docs\\|Office"};
    for (int i = 0; i < lines.size(); ++i) {
        QStringList cells = lines.at(i).split(u'\t');
        ASSERT_EQ(cells.size(), 5) << lines.at(i).toStdString();
        EXPECT_FALSE(cells.takeAt(1).isEmpty()); // the date
        EXPECT_EQ(cells.join(u'|'), expected.at(i));
    }
}

} // namespace
} // namespace tarvo
