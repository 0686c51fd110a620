#pragma once

// What the share benchmarks share: sample files and smbclient runs against
// the tests' Samba server.
#include "tests/support/SambaServer.h"

#include <cstdio>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace tarvo::bench {

inline void MakeFile(const QString& path, qint64 size)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    const QByteArray block(1 << 20, 'x');
    for (qint64 done = 0; done < size; done += block.size())
        file.write(block.constData(), qMin<qint64>(block.size(), size - done));
}

// smbclient reads the password from this credentials file, never from its command line.
inline QString WriteSmbclientAuth(const QString& path, const test::SambaServer& samba)
{
    QFile auth(path);
    auth.open(QIODevice::WriteOnly);
    auth.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    auth.write(QString("username = tester\npassword = %1\n").arg(samba.password()).toUtf8());
    return path;
}

// Runs smbclient's commands on the test share; returns the seconds it took.
inline double RunSmbclient(const test::SambaServer& samba, const QString& authFile,
                           const QString& commands)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
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

} // namespace tarvo::bench
