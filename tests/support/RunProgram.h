#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tarvo::test {

// How a program ended: its exit code (-1: not normally) and what it wrote.
struct Outcome
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs a program to its end with `input` on its standard input and its
// output thrown away; returns its exit code, or -1 when it could not run or
// did not exit normally. The program's standard error goes to `errors` when
// given.
//
// The tests' helper programs (smbd, smbpasswd, smbclient) start through this
// and not QProcess: QProcess starts a program with a raw clone that
// ThreadSanitizer does not follow, and from then on the sanitizer no longer
// sees the locks that the starting thread takes, so every later hand-over
// between that thread and a worker would be reported as a race.
int RunProgram(const QString& program, const QStringList& arguments, const QByteArray& input = {},
               QByteArray* errors = nullptr);

// Starts a program with these variables added to the environment
// ("NAME=value"), its standard input read from a file and its standard
// output and error written to files (a terminal's, too); the child's pid, or
// -1. The caller waits for it.
qint64 StartProgram(const QString& program, const QStringList& arguments,
                    const QStringList& environment, const QString& outputFile,
                    const QString& errorFile, const QString& inputFile = "/dev/null");

} // namespace tarvo::test
