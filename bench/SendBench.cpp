// `tarvo send` against smbclient in one run over the loopback Samba server:
// 5,000 files of 4 KiB (mput), one 1 GiB file (put), each in rounds that
// alternate who goes first, and a Sync of the unchanged 5,000 files against
// the time it took to copy them. The same copies made straight through the
// platform, one after another, show what the run's copy-ahead gains.
#include "bench/BenchSupport.h"
#include "platform/ProcessServices.h"
#include "tests/support/SambaServer.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <numeric>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <unistd.h>
#include <vector>

using namespace tarvo;

namespace {

constexpr qint64 BigSize = qint64(1) << 30;
constexpr int SmallCount = 5000;
constexpr int SmallSize = 4096;

double timed(const QString& program, const QStringList& arguments, int* exitCode = nullptr)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    process.waitForFinished(-1);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (exitCode)
        *exitCode = process.exitCode();
    if (process.exitCode() != 0)
        std::fprintf(stderr, "%s failed (%d): %s\n", qPrintable(program), process.exitCode(),
                     process.readAllStandardError().constData());
    return seconds;
}

// A configuration with one default Put session from a device folder to a
// folder of the share.
QString writeConfig(const QString& path, const test::SambaServer& samba, const QString& local,
                    const QString& remote, const QString& postOp)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    file.write(QString("[Setting]\r\nDefaultChoice=No\r\nDefaultSession=Bench\r\n[Session]\r\n"
                       "Bench=Net,Put,%1,WORKGROUP,%2,%3,%4,,tester,%5\r\n")
                   .arg(samba.shareText(), local, remote, postOp, samba.password())
                   .toUtf8());
    return path;
}

double send(const QString& config, const QString& root)
{
    int exitCode = 0;
    const double seconds =
        timed(TARVO_EXECUTABLE, {"--config", config, "--root", root, "send", "--no"}, &exitCode);
    return exitCode == 0 ? seconds : -1;
}

// Rates and ratios over rounds of one case: of the summed times, and of the
// two best times, which the machine's stalls touch least.
void report(const char* what, const std::vector<double>& ours, const std::vector<double>& theirs,
            double amount, const char* unit, double target)
{
    const double ourSum = std::accumulate(ours.begin(), ours.end(), 0.0);
    const double theirSum = std::accumulate(theirs.begin(), theirs.end(), 0.0);
    const double ourBest = *std::min_element(ours.begin(), ours.end());
    const double theirBest = *std::min_element(theirs.begin(), theirs.end());
    std::printf("%-20s tarvo %8.1f %s  smbclient %8.1f %s  ratio %.2f  best %.2f (at least %.1f)\n",
                what, amount * ours.size() / ourSum, unit, amount * theirs.size() / theirSum, unit,
                theirSum / ourSum, theirBest / ourBest, target);
    std::fflush(stdout);
}

// Empties a folder of the share (through the server's own folder) and
// writes the disks out, so that every run starts alike.
void clearFolder(const QString& path)
{
    QDir folder(path);
    folder.removeRecursively();
    folder.mkpath(".");
    ::sync();
}

// Rounds of one case in which the send and smbclient take turns at going
// first, so that neither always meets the machine in the same state.
void alternate(int rounds, const std::function<double()>& ours,
               const std::function<double()>& theirs, std::vector<double>& ourTimes,
               std::vector<double>& theirTimes)
{
    for (int round = 0; round < rounds; ++round) {
        if (round % 2 == 0) {
            ourTimes.push_back(ours());
            theirTimes.push_back(theirs());
        } else {
            theirTimes.push_back(theirs());
            ourTimes.push_back(ours());
        }
    }
}

} // namespace

// Usage: tarvo_send_bench [rounds=N] [only=small|big]
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int rounds = 3;
    QString only;
    for (const QString& argument : app.arguments().mid(1)) {
        if (argument.startsWith("rounds="))
            rounds = qMax(1, argument.mid(7).toInt());
        if (argument.startsWith("only="))
            only = argument.mid(5);
    }
    const int bigRounds = only == "small" ? 0 : rounds;
    const int smallRounds = only == "big" ? 0 : rounds;
    test::SambaServer samba;
    if (!samba.start()) {
        std::fprintf(stderr, "%s\n", qPrintable(samba.error()));
        return 1;
    }
    QTemporaryDir work(QDir::homePath() + "/.tarvo-send-bench-XXXXXX");
    const QString root = work.filePath("device");
    QDir(work.path()).mkpath("device/small");
    QDir(work.path()).mkpath("device/big");
    QDir(work.path()).mkpath("device/one");
    bench::MakeFile(work.filePath("device/one/one.txt"), SmallSize);
    for (int i = 0; i < SmallCount; ++i)
        bench::MakeFile(work.filePath(QString("device/small/f%1.txt").arg(i)), SmallSize);
    if (bigRounds > 0)
        bench::MakeFile(work.filePath("device/big/big.bin"), BigSize);
    const QString onServer = samba.shareFolder();
    for (const char* folder : {"small", "smbsmall", "big", "smbbig", "one", "smbone"})
        clearFolder(onServer + '/' + folder);

    const QString auth = bench::WriteSmbclientAuth(work.filePath("auth"), samba);
    const QString small =
        writeConfig(work.filePath("small.txt"), samba, "\\small", "\\small", "None");
    const QString sync =
        writeConfig(work.filePath("sync.txt"), samba, "\\small", "\\small", "Sync");
    const QString big = writeConfig(work.filePath("big.txt"), samba, "\\big", "\\big", "None");
    const QString one = writeConfig(work.filePath("one.txt"), samba, "\\one", "\\one", "None");
    const QString smallFolder = work.filePath("device/small");
    const QString bigFolder = work.filePath("device/big");
    bool failed = false;

    // The first big transfer after the files are written takes seconds
    // longer here, whoever makes it: one untimed run first.
    if (bigRounds > 0) {
        bench::RunSmbclient(samba, auth, "lcd " + bigFolder + "; cd smbbig; put big.bin");
        clearFolder(onServer + "/smbbig");
    }

    // One timed send or smbclient run, then the folder it filled is emptied.
    const auto sendInto = [&](const QString& config, const QString& folder) {
        return [&, config, folder] {
            const double seconds = send(config, root);
            failed = failed || seconds < 0;
            clearFolder(onServer + folder);
            return seconds;
        };
    };
    const auto smbclientInto = [&](const QString& commands, const QString& folder) {
        return [&, commands, folder] {
            const double seconds = bench::RunSmbclient(samba, auth, commands);
            clearFolder(onServer + folder);
            return seconds;
        };
    };
    std::vector<double> ourPut, theirPut, ourMput, theirMput;
    alternate(bigRounds, sendInto(big, "/big"),
              smbclientInto("lcd " + bigFolder + "; cd smbbig; put big.bin", "/smbbig"), ourPut,
              theirPut);
    alternate(
        smallRounds, sendInto(small, "/small"),
        smbclientInto("prompt off; lcd " + smallFolder + "; cd smbsmall; mput *", "/smbsmall"),
        ourMput, theirMput);

    ProcessServices services(root);
    services.connections().addConnection("Bench", samba.shareText(), "tester", samba.password(),
                                         true);
    QElapsedTimer timer;
    std::printf("%d rounds\n", rounds);
    if (smallRounds > 0) {
        // A Sync of the folder once it is on the share: nothing to copy.
        const double lastSend = send(small, root);
        const double ourSync = send(sync, root);
        failed = failed || lastSend < 0 || ourSync < 0;

        // The same copies straight through the platform, one after another.
        clearFolder(onServer + "/raw");
        timer.start();
        for (int i = 0; i < SmallCount; ++i) {
            const QString name = QString("\\f%1.txt").arg(i);
            services.files().copyFile("\\small" + name, samba.shareText() + "\\raw" + name, false);
        }
        const double platformMput = timer.nsecsElapsed() / 1e9;
        clearFolder(onServer + "/raw");

        report("5000 x 4 KiB send", ourMput, theirMput, SmallCount, "files/s", 0.8);
        std::printf("%-20s %.2f s, platform copies one by one %.2f s\n", "5000 x 4 KiB", lastSend,
                    platformMput);
        std::printf("%-20s %.2f s against %.2f s to copy them: %.3f of it (under 0.1)\n",
                    "sync of 5000 same", ourSync, lastSend, ourSync / lastSend);
    }
    if (bigRounds > 0) {
        // The big file straight through the platform: what the run adds to it.
        clearFolder(onServer + "/raw");
        timer.start();
        failed = failed || services.files().copyFile(
                               "\\big\\big.bin", samba.shareText() + "\\raw\\big.bin", false) != 0;
        const double platformPut = timer.nsecsElapsed() / 1e9;
        clearFolder(onServer + "/raw");

        // What a send costs beyond its copies: starting, logging on, ending.
        std::vector<double> ourOne, theirOne;
        for (int round = 0; round < 5; ++round) {
            ourOne.push_back(send(one, root));
            theirOne.push_back(bench::RunSmbclient(
                samba, auth, "lcd " + work.filePath("device/one") + "; cd smbone; put one.txt"));
        }

        report("1 GiB send", ourPut, theirPut, BigSize / 1e6, "MB/s   ", 1.3);
        std::printf("%-20s best send %.3f s, smbclient put %.3f s\n", "one 4 KiB file",
                    *std::min_element(ourOne.begin(), ourOne.end()),
                    *std::min_element(theirOne.begin(), theirOne.end()));
        std::printf("%-20s best send %.2f s, platform copy alone %.2f s\n", "1 GiB",
                    *std::min_element(ourPut.begin(), ourPut.end()), platformPut);
    }
    if (failed) {
        std::fprintf(stderr, "a send did not transfer every file\n");
        return 1;
    }
    return 0;
}
