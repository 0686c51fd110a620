#pragma once

#include "tests/support/TempFiles.h"

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

// Starts a program (looked up on PATH) with these variables set in its
// environment ("NAME=value"; "NAME=" empties one), its standard input read
// from a file, its standard output written to `output` (a terminal's, say) or
// else to the file "out" of `folder`, and its standard error to the file "err"
// there; the child's pid, or -1. FinishProgram waits for it.
qint64 StartProgram(const QString& program, const QStringList& arguments,
                    const QStringList& environment, const TempFolder& folder,
                    const QString& output = {}, const QString& input = "/dev/null");
// Waits for a program that StartProgram started, and reads what it wrote.
Outcome FinishProgram(qint64 pid, const TempFolder& folder);

} // namespace tarvo::test
