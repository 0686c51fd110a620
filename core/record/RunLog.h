#pragma once

#include <QString>
#include <QStringList>

namespace tarvo {

// The file that the run record's lines are appended to, runs.log in its
// folder, readable by its owner only. It never grows past its limit: before
// a write that would take it there, it becomes runs.log.1 (the older ones
// move on to .2 and .3, and the oldest is dropped) and a new one begins.
// Lines are written whole, also when several programs or threads write at
// once: each write holds a lock on runs.log.lock beside the log.
class RunLog
{
public:
    static constexpr qint64 DefaultLimit = 1 << 20;
    static constexpr int OldFiles = 3;

    explicit RunLog(QString folder, qint64 limit = DefaultLimit);

    QString filePath() const;

    // Appends the lines (each without its line break) in one write, after
    // the field names when the file is new. Why they could not be written,
    // or nothing: a log that cannot be written loses those lines and harms
    // nothing else.
    QString append(const QStringList& lines) const;

private:
    QString prepareFolder() const;
    QString rotate() const;

    QString m_folder;
    qint64 m_limit;
};

} // namespace tarvo
