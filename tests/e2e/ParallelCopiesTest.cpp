// Many copies in one process: a few at once ahead of the one taken, big files
// through parallel sessions, and long runs into one folder.
#include "core/copy/CopyAhead.h"
#include "platform/ErrorCodes.h"
#include "platform/ProcessServices.h"
#include "tests/e2e/Scenario.h"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

class ParallelCopiesTest : public Scenario
{
protected:
    void SetUp() override
    {
        Scenario::SetUp();
        ASSERT_EQ(connect(*platform, "S"), 0);
    }
    static int connect(PlatformServices& to, const QString& name, const QString& password = {})
    {
        return to.connections().addConnection(name, samba().shareText(), SambaServer::UserName,
                                              password.isNull() ? samba().password() : password,
                                              true);
    }
};

// Copies come back in list order, a failed one at its own place, and none
// starts beyond the depth. Big files at once share the extra sessions, and
// when no extra session can log on (the password changed on the server),
// every copy goes through the session at hand: all arrive whole.
TEST_F(ParallelCopiesTest, CopiesAtOnceArriveWholeInListOrder)
{
    QList<CopyRequest> small, puts, gets;
    for (int i = 0; i < 12; ++i) {
        if (i != 5) // the sixth source is missing
            writeDevice(QString("\\Ahead\\f%1.txt").arg(i), QByteArray::number(i));
        small.append({QString("\\Ahead\\f%1.txt").arg(i), sharePath(QString("f%1.txt").arg(i))});
    }
    {
        CopyAhead ahead(platform->files(), small, 3);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(ahead.takeNext().error, i == 5 ? PlatformError::FileNotFound : 0) << i;
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
    ASSERT_TRUE(samba().changePassword("changed on the server"));
    EXPECT_EQ(connect(*platform, "T", "not the password"), PlatformError::LogonFailure);
    EXPECT_EQ(platform->files().copyFile("\\Big\\3.bin", sharePath("again.bin"), false), 0);
    EXPECT_EQ(platform->files().copyFile(sharePath("again.bin"), "\\again.bin", false), 0);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(readShare(QString("%1.bin").arg(i)) == Pattern(9 * MiB + i, i));
        EXPECT_TRUE(TempFolder::read(native(QString("\\Back\\%1.bin").arg(i))) ==
                    Pattern(9 * MiB + i, i));
    }
    EXPECT_TRUE(TempFolder::read(native("\\again.bin")) == Pattern(9 * MiB + 3, 3));
}

// Past a few copies into one folder, a copy trusts a listing of the folder
// instead of asking about each name, and the parts go to a folder of their
// own: what held a name before the run is kept, the part folder comes back
// when someone removes it, and it goes when the program signs off or ends.
// A part folder the program did not make stays.
TEST_F(ParallelCopiesTest, ALongRunIntoOneFolderKeepsWhatHoldsItsNames)
{
    for (const char* folder : {"Run", "Theirs"}) {
        for (int i = 0; i < 40; ++i)
            writeDevice(QString("\\%1\\f%2.txt").arg(folder).arg(i), QByteArray::number(i));
        writeDevice(QString("\\%1\\big.bin").arg(folder), Pattern(9 * MiB));
        makeShareFolder(folder);
    }
    makeShareFolder("Run/f20.txt");
    writeShare("Run/F30.TXT", "keep");
    ASSERT_TRUE(samba().setReadOnly("Run/F30.TXT"));
    writeShare("Theirs/.tarvo-parts/mine.txt", "someone else's");
    const auto copy = [this](PlatformServices& with, const QString& folder, const QString& name) {
        return with.files().copyFile('\\' + folder + '\\' + name, sharePath(folder + '/' + name),
                                     false);
    };

    for (int i = 0; i < 40; ++i) {
        const int expected = i == 20 || i == 30 ? PlatformError::AccessDenied : 0;
        EXPECT_EQ(copy(*platform, "Run", QString("f%1.txt").arg(i)), expected) << i;
        EXPECT_EQ(copy(*platform, "Theirs", QString("f%1.txt").arg(i)), 0) << i;
        if (i == 25) { // someone removes the part folder halfway
            EXPECT_TRUE(QDir(onShare("Run")).rmdir(".tarvo-parts"));
            EXPECT_EQ(copy(*platform, "Run", "big.bin"), 0);
        }
    }
    EXPECT_TRUE(QFileInfo(onShare("Run/f20.txt")).isDir());
    EXPECT_EQ(readShare("Run/F30.TXT"), "keep");
    EXPECT_TRUE(readShare("Run/big.bin") == Pattern(9 * MiB));
    EXPECT_TRUE(QFileInfo(onShare("Run/.tarvo-parts")).isDir());
    ASSERT_EQ(platform->connections().cancelConnection("S", true, false), 0);
    EXPECT_FALSE(QFileInfo::exists(onShare("Run/.tarvo-parts")));
    EXPECT_EQ(QDir(onShare("Theirs/.tarvo-parts")).entryList(QDir::Files), QStringList{"mine.txt"});
    {
        ProcessServices ending(platform->devicePaths().root());
        ASSERT_EQ(connect(ending, "T"), 0);
        for (int i = 0; i < 40; ++i)
            ASSERT_EQ(copy(ending, "Run", QString("f%1.txt").arg(i % 20)), 0) << i;
        EXPECT_TRUE(QFileInfo(onShare("Run/.tarvo-parts")).isDir());
    }
    EXPECT_FALSE(QFileInfo::exists(onShare("Run/.tarvo-parts")));
}

} // namespace
} // namespace tarvo::test
