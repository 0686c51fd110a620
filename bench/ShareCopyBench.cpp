// Copy throughput against a loopback Samba server, side by side with smbclient
// in one run: one 1 GiB file put and get, and 5,000 files of 4 KiB put and get.
// Our copies include everything a transfer does: the part file, the rename
// into place and the kept last-write time; a list of files goes through the
// same copy-ahead as a transfer's session.
//
// Timings on a shared machine drift by a factor of two within a minute, so
// every case runs in rounds that alternate who goes first, after one untimed
// run of each side, and the ratio is that of the summed times; each round's
// own ratio is printed as well (its times with TARVO_BENCH_VERBOSE set), and
// the ratio of the two best times, which the machine's stalls touch least.
//
// Usage: tarvo_share_copy_bench [big|small] [COUNT] [rounds=N]
#include "bench/BenchSupport.h"
#include "core/copy/CopyAhead.h"
#include "platform/ProcessServices.h"
#include "tests/support/SambaServer.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <unistd.h>

using namespace tarvo;

namespace {

constexpr qint64 BigSize = qint64(1) << 30;
constexpr int SmallSize = 4096;

// Empties a folder, so that every round copies to new names.
void clearFolder(const QString& path)
{
    QDir folder(path);
    folder.removeRecursively();
    folder.mkpath(".");
}

// The copies of one list, as a transfer makes them; the number that failed.
int copyAll(FileSystem& files, const QList<CopyRequest>& copies)
{
    // TARVO_COPY_DEPTH fixes the copies in flight at once, for comparing depths.
    const int depth = qEnvironmentVariableIntValue("TARVO_COPY_DEPTH");
    CopyAhead ahead(files, copies, depth > 0 ? depth : CopyAhead::StartDepth,
                    depth > 0 ? depth : CopyAhead::MostDepth);
    int failed = 0;
    for (qsizetype i = 0; i < copies.size(); ++i)
        failed += ahead.takeNext().error != 0;
    return failed;
}

double seconds(const std::function<void()>& run)
{
    QElapsedTimer timer;
    timer.start();
    run();
    return timer.nsecsElapsed() / 1e9;
}

// Runs both sides of one case for the rounds, clearing the targets before each
// run, and prints the rates and the ratio of the summed times.
void compare(const char* what, int rounds, double amount, const char* unit,
             const std::function<void()>& clear, const std::function<void()>& ours,
             const std::function<void()>& theirs)
{
    double ourTotal = 0;
    double theirTotal = 0;
    double ourBest = 1e300;
    double theirBest = 1e300;
    QByteArray perRound;
    // Every run starts alike: the last run's files deleted and the disks synced.
    const auto settle = [&clear] {
        clear();
        ::sync();
    };
    settle();
    // The first big transfer after the test files are made takes seconds
    // longer here, whichever side makes it: one untimed run of each first.
    ours();
    settle();
    theirs();
    settle();
    for (int round = 0; round < rounds; ++round) {
        double ourTime = 0;
        double theirTime = 0;
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == (round % 2 == 0))
                ourTime = seconds(ours);
            else
                theirTime = seconds(theirs);
            settle();
        }
        ourTotal += ourTime;
        theirTotal += theirTime;
        ourBest = std::min(ourBest, ourTime);
        theirBest = std::min(theirBest, theirTime);
        if (qEnvironmentVariableIsSet("TARVO_BENCH_VERBOSE"))
            std::printf("  round %d: tarvo %.3f s, smbclient %.3f s\n", round + 1, ourTime,
                        theirTime);
        perRound += ' ' + QByteArray::number(theirTime / ourTime, 'f', 2);
    }
    std::printf("%-18s tarvo %8.1f %s  smbclient %8.1f %s  ratio %.2f  best %.2f  (rounds:%s)\n",
                what, amount * rounds / ourTotal, unit, amount * rounds / theirTotal, unit,
                theirTotal / ourTotal, theirBest / ourBest, perRound.constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const bool big = !arguments.contains("small");
    const bool small = !arguments.contains("big");
    int smallCount = 5000;
    int rounds = 2;
    for (const QString& argument : arguments.mid(1)) {
        if (argument.startsWith("rounds="))
            rounds = qMax(1, argument.mid(7).toInt());
        else if (argument.toInt() > 0)
            smallCount = argument.toInt();
    }
    test::SambaServer samba;
    if (!samba.start()) {
        std::fprintf(stderr, "%s\n", qPrintable(samba.error()));
        return 1;
    }
    QTemporaryDir work(QDir::homePath() + "/.tarvo-bench-XXXXXX");
    const QString device = work.filePath("device");
    QDir(work.path()).mkpath("device/small");
    if (big)
        bench::MakeFile(device + "/big.bin", BigSize);
    for (int i = 0; small && i < smallCount; ++i)
        bench::MakeFile(device + QString("/small/f%1.txt").arg(i), SmallSize);

    const QString auth = bench::WriteSmbclientAuth(work.filePath("auth"), samba);

    ProcessServices services(device);
    if (services.connections().addConnection("Bench", samba.shareText(), "tester", samba.password(),
                                             true) != 0) {
        std::fprintf(stderr, "cannot connect\n");
        return 1;
    }
    FileSystem& files = services.files();
    const QString share = samba.shareText();
    const QString onServer = samba.shareFolder();
    const QString back = device + "/back";      // our gets
    const QString mget = work.filePath("mget"); // smbclient's gets
    int failures = 0;
    std::printf("copy buffer %lld KiB, %d rounds\n", services.shareFiles().copyBufferSize() / 1024,
                rounds);

    if (big) {
        const double megabytes = BigSize / 1e6;
        auto clearPut = [&] {
            QFile::remove(onServer + "/big.bin");
            QFile::remove(onServer + "/smb.bin");
        };
        compare(
            "1 GiB put", rounds, megabytes, "MB/s   ", clearPut,
            [&] { failures += files.copyFile("\\big.bin", share + "\\big.bin", false) != 0; },
            [&] { bench::RunSmbclient(samba, auth, "lcd " + device + "; put big.bin smb.bin"); });
        // Both sides get the same file, put there once more.
        clearPut();
        QFile::copy(device + "/big.bin", onServer + "/big.bin");
        compare(
            "1 GiB get", rounds, megabytes, "MB/s   ",
            [&] {
                clearFolder(back);
                clearFolder(mget);
            },
            [&] { failures += files.copyFile(share + "\\big.bin", "\\back\\big.bin", false) != 0; },
            [&] { bench::RunSmbclient(samba, auth, "lcd " + mget + "; get big.bin"); });
        clearPut();
    }

    if (small) {
        const QByteArray count = QByteArray::number(smallCount);
        compare(
            count + " x 4 KiB put", rounds, smallCount, "files/s",
            [&] {
                clearFolder(onServer + "/small");
                clearFolder(onServer + "/smbsmall");
            },
            [&] {
                QList<CopyRequest> copies;
                for (int i = 0; i < smallCount; ++i) {
                    const QString name = QString("\\small\\f%1.txt").arg(i);
                    copies.append({name, share + name});
                }
                failures += copyAll(files, copies);
            },
            [&] {
                bench::RunSmbclient(samba, auth,
                                    "prompt off; lcd " + device + "/small; cd smbsmall; mput *");
            });
        // Both sides get the same files.
        clearFolder(onServer + "/small");
        for (int i = 0; i < smallCount; ++i)
            bench::MakeFile(onServer + QString("/small/f%1.txt").arg(i), SmallSize);
        compare(
            count + " x 4 KiB get", rounds, smallCount, "files/s",
            [&] {
                clearFolder(back);
                clearFolder(mget);
            },
            [&] {
                QList<CopyRequest> copies;
                for (int i = 0; i < smallCount; ++i) {
                    const QString name = QString("f%1.txt").arg(i);
                    copies.append({share + "\\small\\" + name, "\\back\\" + name});
                }
                failures += copyAll(files, copies);
            },
            [&] {
                bench::RunSmbclient(samba, auth, "prompt off; lcd " + mget + "; cd small; mget *");
            });
    }
    std::printf("%d failed copies\n", failures);
    return failures == 0 ? 0 : 1;
}
