#pragma once

#include "core/transfer/RunAction.h"

#include <optional>
#include <QDateTime>
#include <QString>

namespace tarvo {

struct RunSummary;

// One line of the run record: what a run did to one file, or, on the run's
// last line, how the run ended. In the file a line is its fields separated
// by tabs, with tabs, line breaks and backslashes inside a field written as
// \t, \n, \r and \\, so that every line splits cleanly on its tabs.
struct RunRecordLine
{
    QDateTime time; // when it was written, in local time with its offset
    QString run;    // the same for every line of one run
    QString session;
    QString action; // RunAction::kindName, or "run" on the closing line
    QString source;
    QString target;
    quint64 bytes = 0;
    QString result; // RunAction::resultName, or complete/incomplete/cancelled
    QString reason;

    static RunRecordLine fromAction(const RunAction& action, const QDateTime& time,
                                    const QString& run);
    // The run's last line; `bytes` is what the run copied.
    static RunRecordLine closing(const RunSummary& summary, quint64 bytes, const QDateTime& time,
                                 const QString& run);

    // The line without its line break.
    QString text() const;
    // A line as text() wrote it; nothing for the header or a damaged line.
    static std::optional<RunRecordLine> parse(const QString& text);
    // The first line of every record file: the names of the fields.
    static QString header();

    bool operator==(const RunRecordLine&) const = default;
};

// The lines as the Progress dialog's Details show them, one per line:
// "14:31:02  replace  done  \Docs\a.txt -> \\server\share\a.txt  12 bytes",
// with the reason after a failure.
QString RecordDetailsText(const QList<RunRecordLine>& lines);

// 2026-12-08T14:31:02+01:00: always the seconds and the offset from UTC.
QString RecordTimeText(const QDateTime& time);
// The id of a run that started at `start` in process `pid`: 20261208T143102-4711.
QString RunId(const QDateTime& start, qint64 pid);

} // namespace tarvo
