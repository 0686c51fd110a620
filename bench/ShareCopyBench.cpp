// Copy throughput against a loopback Samba server, side by side with smbclient
// in one run: one 1 GiB file put and get, and 5,000 files of 4 KiB put and get.
// Our copies include everything a transfer does: the part file, the rename
// into place and the kept last-write time.
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

void makeFile(const QString& path, qint64 size)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    const QByteArray block(1 << 20, 'x');
    for (qint64 done = 0; done < size; done += block.size())
        file.write(block.constData(), qMin<qint64>(block.size(), size - done));
}

// smbclient reads the password from a credentials file, never from its command line.
double smbclient(const test::SambaServer& samba, const QString& authFile, const QString& commands)
{
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(
        QStandardPaths::findExecutable("smbclient"),
        {"//127.0.0.1/share", "-p", QString::number(samba.port()), "-A", authFile, "-c", commands});
    process.waitForFinished(-1);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (process.exitCode() != 0)
        std::fprintf(stderr, "smbclient failed: %s\n", process.readAllStandardError().constData());
    return seconds;
}

void report(const char* what, double ours, double theirs, double amount, const char* unit)
{
    std::printf("%-22s tarvo %9.1f %s   smbclient %9.1f %s   ratio %.2f\n", what, amount / ours,
                unit, amount / theirs, unit, theirs / ours);
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
    QTemporaryDir work(QDir::homePath() + "/.tarvo-bench-XXXXXX");
    QDir(work.path()).mkpath("device/small");
    QDir(work.path()).mkpath("device/back");
    QDir(work.path()).mkpath("mget");
    makeFile(work.filePath("device/big.bin"), BigSize);
    for (int i = 0; i < SmallCount; ++i)
        makeFile(work.filePath(QString("device/small/f%1.txt").arg(i)), SmallSize);
    QDir(samba.shareFolder()).mkpath("small");
    QDir(samba.shareFolder()).mkpath("smbsmall");

    QFile auth(work.filePath("auth"));
    auth.open(QIODevice::WriteOnly);
    auth.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    auth.write(QString("username = tester\npassword = %1\n").arg(samba.password()).toUtf8());
    auth.close();

    ProcessServices services(work.filePath("device"));
    if (services.connections().addConnection("Bench", samba.shareText(), "tester", samba.password(),
                                             true) != 0) {
        std::fprintf(stderr, "cannot connect\n");
        return 1;
    }
    FileSystem& files = services.files();
    const QString share = samba.shareText();
    const double megabytes = BigSize / 1e6;

    QElapsedTimer timer;
    timer.start();
    int failures = files.copyFile("\\big.bin", share + "\\big.bin", false);
    const double ourPut = timer.nsecsElapsed() / 1e9;
    const double theirPut = smbclient(samba, auth.fileName(),
                                      "lcd " + work.filePath("device") + "; put big.bin smb.bin");
    timer.restart();
    failures += files.copyFile(share + "\\big.bin", "\\back\\big.bin", false);
    const double ourGet = timer.nsecsElapsed() / 1e9;
    const double theirGet =
        smbclient(samba, auth.fileName(), "lcd " + work.filePath("mget") + "; get smb.bin");
    QFile::remove(samba.shareFolder() + "/big.bin");
    QFile::remove(samba.shareFolder() + "/smb.bin");
    QFile::remove(work.filePath("device/back/big.bin"));
    QFile::remove(work.filePath("mget/smb.bin"));

    timer.restart();
    for (int i = 0; i < SmallCount; ++i) {
        const QString name = QString("f%1.txt").arg(i);
        failures += files.copyFile("\\small\\" + name, share + "\\small\\" + name, false) != 0;
    }
    const double ourMput = timer.nsecsElapsed() / 1e9;
    const double theirMput =
        smbclient(samba, auth.fileName(),
                  "prompt off; lcd " + work.filePath("device/small") + "; cd smbsmall; mput *");
    timer.restart();
    for (int i = 0; i < SmallCount; ++i) {
        const QString name = QString("f%1.txt").arg(i);
        failures += files.copyFile(share + "\\small\\" + name, "\\back\\" + name, false) != 0;
    }
    const double ourMget = timer.nsecsElapsed() / 1e9;
    const double theirMget =
        smbclient(samba, auth.fileName(),
                  "prompt off; lcd " + work.filePath("mget") + "; cd smbsmall; mget *");

    std::printf("copy buffer %lld KiB, %d failed copies\n",
                services.shareFiles().copyBufferSize() / 1024, failures);
    report("1 GiB put", ourPut, theirPut, megabytes, "MB/s   ");
    report("1 GiB get", ourGet, theirGet, megabytes, "MB/s   ");
    report("5000 x 4 KiB put", ourMput, theirMput, SmallCount, "files/s");
    report("5000 x 4 KiB get", ourMget, theirMget, SmallCount, "files/s");
    return failures == 0 ? 0 : 1;
}
