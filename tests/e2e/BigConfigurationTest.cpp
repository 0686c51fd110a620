// Configuration files far bigger than anyone writes by hand: ten thousand
// sessions, and lines of a megabyte.
#include "config/ConfigStore.h"
#include "config/NetSession.h"
#include "config/TextFile.h"
#include "tests/support/ScriptedMessageService.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>
#include <QProcess>

namespace tarvo::test {
namespace {

QString sessionName(int i)
{
    return QString::fromUtf8("Sitzung \xC3\xBC %1").arg(i);
}

QString sessionLine(int i)
{
    return QStringLiteral(
               "Net,%1,\\\\server%2\\share,WG,\\Out %2,\\in\\%2,Move,\\Sent,user%2,pw,%2")
        .arg(i % 2 ? QStringLiteral("Put") : QStringLiteral("Get"))
        .arg(i);
}

int runTarvo(const QStringList& arguments, QByteArray* out)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QStringLiteral(TARVO_EXECUTABLE), arguments);
    EXPECT_TRUE(process.waitForFinished(120000)); // a bound that proves no hang
    *out = process.readAllStandardOutput();
    return process.exitCode();
}

TEST(BigConfigurationTest, TenThousandSessionsLoadAndList)
{
    constexpr int Count = 10000;
    QByteArray text = "[Setting]\r\nDefaultSession=";
    // Every 20th is a default: the whole list stays within one line's limit.
    for (int i = 0; i < Count; i += 20)
        text += sessionName(i).toUtf8() + (i + 20 < Count ? "," : "\r\n");
    text += "[Session]\r\n";
    for (int i = 0; i < Count; ++i)
        text += sessionName(i).toUtf8() + '=' + sessionLine(i).toUtf8() + "\r\n";
    TempFolder folder;
    const QString path = folder.write(QStringLiteral("big.txt"), text);

    Settings settings;
    LoadSettingsFromFile(settings, path);
    ASSERT_EQ(settings.Sessions.names().size(), Count);
    ASSERT_EQ(settings.DefaultSession.size(), Count / 20);
    for (int i = 0; i < Count; ++i) {
        ASSERT_EQ(settings.Sessions.names().at(i), sessionName(i));
        ASSERT_EQ(settings.Sessions.value(sessionName(i)), sessionLine(i));
    }
    EXPECT_EQ(settings.DefaultSession.last(), sessionName(Count - 20));

    // What the command line makes of it: every session once, no password.
    QByteArray out;
    EXPECT_EQ(runTarvo({QStringLiteral("--config"), path, QStringLiteral("sessions")}, &out), 0);
    const QList<QByteArray> lines = out.split('\n');
    ASSERT_EQ(lines.size(), Count + 1);
    EXPECT_EQ(lines.at(7), sessionName(7).toUtf8() +
                               "\tNet\tPut\t\\\\server7\\share\t\\Out 7\t\\in\\7\tMove\t\\Sent\t-");
    EXPECT_TRUE(lines.at(20).endsWith("\tdefault"));
    EXPECT_FALSE(out.contains("pw,"));
    EXPECT_EQ(runTarvo({QStringLiteral("--config"), path, QStringLiteral("config"),
                        QStringLiteral("show")},
                       &out),
              0);
    Settings shown;
    LoadSettingsFromBytes(shown, out);
    EXPECT_EQ(shown.Sessions.names(), settings.Sessions.names());
}

TEST(BigConfigurationTest, MegabyteLinesAreCutAndNothingElseIsLost)
{
    // A megabyte of text that, read in pieces, would start sections and keys.
    QByteArray noise;
    while (noise.size() < (1 << 20))
        noise += "[k=v]";
    const QByteArray text = "[Setting]\r\n"
                            "Filter=" +
                            noise +
                            "\r\n"
                            "DefaultSession=A,C\r\n"
                            "ShowHidden=No\r\n" +
                            noise +
                            "\r\n"
                            "[Session]\r\n"
                            "A=Net,Put,\\\\pc\\a,WG,\\A,\\,None,,u,pa\r\n"
                            "Big=Net,Put,\\\\pc\\big,WG,\\Big,\\,None,,u," +
                            noise +
                            "\r\n"
                            "C=Net,Get,\\\\pc\\c,WG,\\C,\\,None,,u,pc\r\n";
    TempFolder folder;
    const QString path = folder.write(QStringLiteral("long.txt"), text);
    Settings settings;
    ScriptedMessageService messages;
    ASSERT_TRUE(LoadSettings(settings, path, messages));

    const QString cut = QString::fromLatin1(noise).left(TextFile::MaxLineLength);
    EXPECT_EQ(settings.Filter, cut.left(TextFile::MaxLineLength - 7).trimmed());
    EXPECT_EQ(settings.DefaultSession, QStringList({QStringLiteral("A"), QStringLiteral("C")}));
    EXPECT_FALSE(settings.ShowAttributes & FileAttribute::Hidden);
    EXPECT_EQ(settings.Sessions.value(QStringLiteral("A")),
              QStringLiteral("Net,Put,\\\\pc\\a,WG,\\A,\\,None,,u,pa"));
    EXPECT_EQ(settings.Sessions.value(QStringLiteral("C")),
              QStringLiteral("Net,Get,\\\\pc\\c,WG,\\C,\\,None,,u,pc"));
    const QString big = settings.Sessions.value(QStringLiteral("Big"));
    EXPECT_EQ(big.size(), TextFile::MaxLineLength - 4);
    EXPECT_TRUE(big.startsWith(QStringLiteral("Net,Put,\\\\pc\\big,WG,\\Big,\\,None,,u,[k=v]")));
    EXPECT_EQ(settings.Sessions.names(),
              QStringList({QStringLiteral("A"), QStringLiteral("Big"), QStringLiteral("C")}));
}

} // namespace
} // namespace tarvo::test
