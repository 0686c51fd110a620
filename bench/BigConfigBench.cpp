// Loading configuration files far bigger than anyone writes by hand: 10,000
// sessions (5,000 of them default, each listing a device folder of 2 files),
// and a file with 1 MB lines in both sections. Times LoadSettings in-process
// and `tarvo sessions` / `tarvo list` as programs, best of a few runs.
#include "config/ConfigStore.h"

#include <algorithm>
#include <cstdio>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace tarvo;

namespace {

constexpr int SessionCount = 10000;
constexpr int Runs = 3;

QString writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
    return path;
}

QByteArray manySessions(const QString& root)
{
    QByteArray text = "[Setting]\r\nDefaultSession=";
    QByteArray sessions = "[Session]\r\n";
    for (int i = 0; i < SessionCount; ++i) {
        const QByteArray name = "Session " + QByteArray::number(i);
        const QByteArray folder = "\\Out\\" + QByteArray::number(i % 100);
        if (i % 2 == 0)
            text += name + (i + 2 < SessionCount ? "," : "");
        sessions +=
            name + "=Net,Put,\\\\127.0.0.1:1\\share,WG," + folder + ",\\in,None,,user,password\r\n";
    }
    for (int i = 0; i < 100; ++i) {
        const QString folder = root + QStringLiteral("/Out/%1").arg(i);
        QDir().mkpath(folder);
        writeFile(folder + QStringLiteral("/a.txt"), "a");
        writeFile(folder + QStringLiteral("/b.txt"), "b");
    }
    return text + "\r\n" + sessions;
}

QByteArray longLines()
{
    const QByteArray noise((1 << 20), 'n');
    QByteArray text =
        "[Setting]\r\nFilter=" + noise + "\r\nDefaultSession=A\r\n" + noise + "\r\n[Session]\r\n";
    for (int i = 0; i < 20; ++i)
        text += "L" + QByteArray::number(i) + "=Net,Put,\\\\pc\\s,WG,\\Out,\\,None,,u," + noise +
                "\r\n";
    return text + "A=Net,Put,\\\\127.0.0.1:1\\share,WG,\\Out\\0,\\,None,,u,p\r\n";
}

template <typename Work> double best(Work work)
{
    double fastest = 1e9;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work();
        fastest = std::min(fastest, timer.nsecsElapsed() / 1e9);
    }
    return fastest;
}

double program(const QString& config, const QString& root, const QString& command)
{
    return best([&] {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(QStringLiteral(TARVO_EXECUTABLE), {QStringLiteral("--config"), config,
                                                         QStringLiteral("--root"), root, command});
        process.waitForFinished(-1);
    });
}

void report(const char* what, const QString& config, const QString& root)
{
    Settings settings;
    const double load = best([&] {
        settings = Settings();
        LoadSettingsFromFile(settings, config);
    });
    std::printf(
        "%-22s %8.1f KiB  load %7.3f s  sessions %7.3f s  list %7.3f s  (%lld sessions)\n", what,
        QFileInfo(config).size() / 1024.0, load, program(config, root, QStringLiteral("sessions")),
        program(config, root, QStringLiteral("list")), qlonglong(settings.Sessions.names().size()));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const QString root = folder.filePath(QStringLiteral("device"));
    const QString many = writeFile(folder.filePath(QStringLiteral("many.txt")), manySessions(root));
    const QString longer = writeFile(folder.filePath(QStringLiteral("long.txt")), longLines());
    std::printf("best of %d runs\n", Runs);
    report("10,000 sessions", many, root);
    report("1 MiB lines", longer, root);
    return 0;
}
