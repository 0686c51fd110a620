// Many copies in one process: a few at once ahead of the one taken, and big
// files through parallel sessions.
#include "core/copy/CopyAhead.h"
#include "platform/ErrorCodes.h"
#include "tests/e2e/Scenario.h"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

using ParallelCopiesTest = Scenario;

// Copies come back in list order (the first, big, ends last), a failed one
// at its own place, and none starts beyond the depth. Big files at once share the extra sessions,
// and when no extra session can log on (the password changed on the server), every copy goes
// through the session at hand: all arrive whole.
TEST_F(ParallelCopiesTest, CopiesAtOnceArriveWholeInListOrder)
{
    ASSERT_TRUE(samba().addShare("other"));
    const auto connect = [this](const QString& name, const QString& share,
                                const QString& password) {
        return platform->connections().addConnection(name, samba().shareText(share),
                                                     SambaServer::UserName, password, true);
    };
    ASSERT_EQ(connect("S", "share", samba().password()), 0);
    QList<CopyRequest> small, puts, gets;
    for (int i = 0; i < 12; ++i) {
        if (i != 2) // the third source is missing
            writeDevice(QString("\\Ahead\\f%1.txt").arg(i), i ? "small" : Pattern(8 * MiB));
        small.append({QString("\\Ahead\\f%1.txt").arg(i), sharePath(QString("f%1.txt").arg(i))});
    }
    {
        CopyAhead ahead(platform->files(), small, 3);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(ahead.takeNext().error, i == 2 ? PlatformError::FileNotFound : 0) << i;
    } // left with copies running: the end waits for them
    for (int i : {0, 4, 6, 7, 11})
        EXPECT_EQ(QFile::exists(onShare(QString("f%1.txt").arg(i))), i != 11) << i;
    for (int i = 0; i < 4; ++i) {
        writeDevice(QString("\\Big\\%1.bin").arg(i), Pattern(9 * MiB + i, i));
        puts.append({QString("\\Big\\%1.bin").arg(i), sharePath(QString("%1.bin").arg(i))});
        gets.append({sharePath(QString("%1.bin").arg(i)), QString("\\Back\\%1.bin").arg(i)});
    }
    QDir().mkpath(native("\\Back"));
    for (const QList<CopyRequest>& copies : {puts, gets}) {
        CopyAhead ahead(platform->files(), copies, 4);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(ahead.takeNext().error, 0) << i;
    }
    // The newest idle context holds another share's logon.
    ASSERT_EQ(connect("O", "other", samba().password()), 0);
    ASSERT_TRUE(samba().changePassword("changed on the server"));
    EXPECT_EQ(connect("T", "share", "not the password"), PlatformError::LogonFailure);
    EXPECT_EQ(platform->files().copyFile("\\Big\\3.bin", sharePath("again.bin"), false), 0);
    EXPECT_EQ(platform->files().copyFile(sharePath("again.bin"), "\\again.bin", false), 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(readShare(QString("%1.bin").arg(i)) == Pattern(9 * MiB + i, i));
        EXPECT_TRUE(TempFolder::read(native(QString("\\Back\\%1.bin").arg(i))) ==
                    Pattern(9 * MiB + i, i));
    }
    EXPECT_TRUE(TempFolder::read(native("\\again.bin")) == Pattern(9 * MiB + 3, 3));
}

} // namespace
} // namespace tarvo::test
