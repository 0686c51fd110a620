// `tarvo send` against smbclient in one run over the loopback Samba server:
// 5,000 files of 4 KiB (mput), one 1 GiB file (put), and a Sync of the
// unchanged 5,000 files against the time it took to copy them. The same
// copies made straight through the platform show how much of the time is
// the run's own.
#include "bench/BenchSupport.h"
#include "platform/ProcessServices.h"
#include "tests/support/SambaServer.h"

#include <cstdio>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

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

void report(const char* what, double ours, double theirs, double amount, const char* unit,
            double target)
{
    std::printf("%-24s tarvo %9.1f %s   smbclient %9.1f %s   ratio %.2f (at least %.1f)\n", what,
                amount / ours, unit, amount / theirs, unit, theirs / ours, target);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    test::SambaServer samba;
    if (!samba.start()) {
        std::fprintf(stderr, "%s\n", qPrintable(samba.error()));
        return 1;
    }
    QTemporaryDir work(QDir::homePath() + "/.tarvo-send-bench-XXXXXX");
    const QString root = work.filePath("device");
    QDir(work.path()).mkpath("device/small");
    QDir(work.path()).mkpath("device/big");
    for (int i = 0; i < SmallCount; ++i)
        bench::MakeFile(work.filePath(QString("device/small/f%1.txt").arg(i)), SmallSize);
    bench::MakeFile(work.filePath("device/big/big.bin"), BigSize);
    for (const char* folder : {"small", "smbsmall", "big"})
        QDir(samba.shareFolder()).mkpath(folder);

    const QString auth = bench::WriteSmbclientAuth(work.filePath("auth"), samba);

    const QString small =
        writeConfig(work.filePath("small.txt"), samba, "\\small", "\\small", "None");
    const QString sync =
        writeConfig(work.filePath("sync.txt"), samba, "\\small", "\\small", "Sync");
    const QString big = writeConfig(work.filePath("big.txt"), samba, "\\big", "\\big", "None");

    const double ourMput = send(small, root);
    const double theirMput = bench::RunSmbclient(
        samba, auth, "prompt off; lcd " + work.filePath("device/small") + "; cd smbsmall; mput *");
    const double ourSync = send(sync, root);

    ProcessServices services(root);
    services.connections().addConnection("Bench", samba.shareText(), "tester", samba.password(),
                                         true);
    QDir(samba.shareFolder()).mkpath("raw");
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < SmallCount; ++i) {
        const QString name = QString("\\f%1.txt").arg(i);
        services.files().copyFile("\\small" + name, samba.shareText() + "\\raw" + name, false);
    }
    const double platformMput = timer.nsecsElapsed() / 1e9;

    const double ourPut = send(big, root);
    const double theirPut = bench::RunSmbclient(
        samba, auth, "lcd " + work.filePath("device/big") + "; put big.bin smb.bin");

    if (ourMput < 0 || ourSync < 0 || ourPut < 0) {
        std::fprintf(stderr, "a send did not transfer every file\n");
        return 1;
    }
    report("5000 x 4 KiB send", ourMput, theirMput, SmallCount, "files/s", 0.8);
    report("1 GiB send", ourPut, theirPut, BigSize / 1e6, "MB/s   ", 1.3);
    std::printf("%-24s %.2f s, platform copies alone %.2f s: %.2f ms per file of the run's own\n",
                "5000 x 4 KiB overhead", ourMput, platformMput,
                (ourMput - platformMput) * 1000 / SmallCount);
    std::printf("%-24s %.2f s against %.2f s to copy them: %.3f of it (under 0.1)\n",
                "sync of 5000 unchanged", ourSync, ourMput, ourSync / ourMput);
    return 0;
}
