// Times a refresh of the main list against the system's own listing tools, in
// one run on one machine:
//   1. a local folder of 100,000 files: the window's refresh (worker thread,
//      rows into the list model, the view on screen) against `ls -l`;
//      the program's memory with those rows in the list;
//   2. a Get session's share folder of 50,000 files on a private Samba server:
//      the refresh job's listing against `smbclient -c ls`.
// Usage: tarvo_file_list_bench [LOCAL_FILES] [SHARE_FILES]
#include "core/filelist/FileListBuilder.h"
#include "gui/main/FileListCtrl.h"
#include "gui/main/SendApp.h"
#include "gui/main/SendDlg.h"
#include "platform/PlatformServices.h"
#include "tests/support/SambaServer.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <unistd.h>

using namespace tarvo;

namespace {

void MakeFiles(const QString& folder, int count)
{
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        const QByteArray path = QFile::encodeName(QStringLiteral("%1/file-%2.%3")
                                                      .arg(folder)
                                                      .arg(i, 6, 10, QChar(u'0'))
                                                      .arg(i % 7 ? "txt" : "pdf"));
        const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0)
            ::close(fd);
    }
}

// Seconds that a shell command takes, its output thrown away; the best of runs.
double TimeCommand(const QString& command, int runs = 3)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        QProcess::execute(QStringLiteral("/bin/sh"),
                          {QStringLiteral("-c"), command + " >/dev/null 2>&1"});
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return best;
}

long MemoryKb(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').first().toLong();
    }
    return -1;
}

QString WriteConfig(const QString& folder, const QString& sessions, const QString& defaults)
{
    const QString path = folder + QStringLiteral("/bench.txt");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(
            QStringLiteral("[Setting]\r\nFilter=*\r\nDefaultSelect=Yes\r\nDefaultSession=%1\r\n"
                           "[Session]\r\n%2")
                .arg(defaults, sessions)
                .toLocal8Bit());
    return path;
}

void LocalFolderBench(int files)
{
    QTemporaryDir device;
    const QString folder = device.filePath(QStringLiteral("big"));
    std::printf("creating %d files ...\n", files);
    MakeFiles(folder, files);
    const double ls = TimeCommand(QStringLiteral("ls -l '%1'").arg(folder));

    const QString config = WriteConfig(
        device.path(), QStringLiteral("Big=Net,Put,\\\\pc\\docs,WG,\\big,\\,None,,u,p\r\n"),
        QStringLiteral("Big"));
    CSendApp app(config, device.path());
    if (!app.InitSockets() || !app.LoadConfiguration())
        return;
    app.CreateImageLists();
    const long before = MemoryKb("VmRSS:");

    QElapsedTimer timer;
    timer.start();
    CSendDlg window(app);
    QSignalSpy finished(&window, &CSendDlg::refreshFinished);
    window.show();
    finished.wait(60000);
    QApplication::processEvents();
    const double first = timer.nsecsElapsed() / 1e9;

    QList<double> refreshes;
    for (int i = 0; i < 3; ++i) {
        timer.restart();
        window.StartRefresh();
        finished.wait(60000);
        QApplication::processEvents(); // the view paints the new rows
        refreshes.append(timer.nsecsElapsed() / 1e9);
    }
    std::sort(refreshes.begin(), refreshes.end());
    const int rows = window.fileList().model().rowCount();

    // The job alone, on this thread: listing, filters, row texts and sorting.
    QList<double> jobs;
    for (int i = 0; i < 3; ++i) {
        timer.restart();
        BuildFileList(FileListBuilder::TakeSnapshot(app.settings()), app.refreshServices());
        jobs.append(timer.nsecsElapsed() / 1e9);
    }
    std::sort(jobs.begin(), jobs.end());
    QList<double> listings;
    for (int i = 0; i < 3; ++i) {
        timer.restart();
        int entries = 0;
        app.platform().files().listFolder(QStringLiteral("\\big\\"),
                                          [&entries](const DirEntry&) { return ++entries > 0; });
        listings.append(timer.nsecsElapsed() / 1e9);
    }
    std::sort(listings.begin(), listings.end());
    const long after = MemoryKb("VmRSS:");

    std::printf("local folder, %d files, %d rows in the list\n", files, rows);
    std::printf("  ls -l                 %7.3f s\n", ls);
    std::printf("  first refresh (open)  %7.3f s\n", first);
    std::printf("  refresh (median of 3) %7.3f s   ratio to ls -l %.2f\n", refreshes.at(1),
                refreshes.at(1) / ls);
    std::printf("  refresh job alone     %7.3f s   (the folder's listing alone %.3f s)\n",
                jobs.at(1), listings.at(1));
    std::printf("  memory: %ld MB resident with the rows (%ld MB before the window), peak %ld MB\n",
                after / 1024, before / 1024, MemoryKb("VmHWM:") / 1024);
}

void ShareFolderBench(int files)
{
    test::SambaServer samba;
    if (!samba.start()) {
        std::printf("share folder: skipped, %s\n", qPrintable(samba.error()));
        return;
    }
    std::printf("creating %d files on the share ...\n", files);
    MakeFiles(samba.shareFolder() + QStringLiteral("/big"), files);

    QTemporaryDir work;
    const QString authFile = work.filePath(QStringLiteral("auth"));
    QFile auth(authFile);
    if (auth.open(QIODevice::WriteOnly))
        auth.write(
            QStringLiteral("username = tester\npassword = %1\n").arg(samba.password()).toUtf8());
    auth.close();
    const double smbclient =
        TimeCommand(QStringLiteral("smbclient //127.0.0.1/share -p %1 -A '%2' -c 'cd big; ls'")
                        .arg(samba.port())
                        .arg(authFile));

    const QString line = QStringLiteral("Net,Get,%1,WG,\\In,\\big,None,,tester,%2")
                             .arg(samba.shareText(), samba.password());
    CSendApp app(WriteConfig(work.path(), QStringLiteral("Share=%1\r\n").arg(line), "Share"),
                 work.path());
    if (!app.InitSockets() || !app.LoadConfiguration())
        return;
    QList<double> times;
    int rows = 0;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        rows =
            int(BuildFileList(FileListBuilder::TakeSnapshot(app.settings()), app.refreshServices())
                    .size());
        times.append(timer.nsecsElapsed() / 1e9);
    }
    std::sort(times.begin(), times.end());

    // The share's listing alone, on the connection the job made.
    QList<double> listings;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        int entries = 0;
        app.platform().files().listFolder(samba.shareText() + QStringLiteral("\\big\\"),
                                          [&entries](const DirEntry&) { return ++entries > 0; });
        listings.append(timer.nsecsElapsed() / 1e9);
    }
    std::sort(listings.begin(), listings.end());
    std::printf("share folder, %d files, %d rows\n", files, rows);
    std::printf("  smbclient -c ls       %7.3f s\n", smbclient);
    std::printf("  refresh job (median)  %7.3f s   ratio to smbclient %.2f\n", times.at(1),
                times.at(1) / smbclient);
    std::printf("  listing alone         %7.3f s\n", listings.at(1));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int localFiles = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int shareFiles = argc > 2 ? std::atoi(argv[2]) : 50000;
    LocalFolderBench(localFiles);
    ShareFolderBench(shareFiles);
    return 0;
}
