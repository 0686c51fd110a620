#include "core/record/RunRecord.h"

#include "core/transfer/TransferObserver.h"

#include <QStringList>

namespace tarvo {

namespace {

constexpr int FieldCount = 9;

QString escaped(const QString& field)
{
    QString text;
    text.reserve(field.size());
    for (const QChar c : field) {
        switch (c.unicode()) {
        case u'\t':
            text += QLatin1String("\\t");
            break;
        case u'\n':
            text += QLatin1String("\\n");
            break;
        case u'\r':
            text += QLatin1String("\\r");
            break;
        case u'\\':
            text += QLatin1String("\\\\");
            break;
        default:
            text += c;
        }
    }
    return text;
}

// A backslash before anything else stays as it is: the line was damaged or
// written by hand, and its text is still worth showing.
QString unescaped(const QString& field)
{
    QString text;
    text.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field[i];
        if (c != u'\\' || i + 1 == field.size()) {
            text += c;
            continue;
        }
        switch (field[i + 1].unicode()) {
        case u't':
            text += u'\t';
            break;
        case u'n':
            text += u'\n';
            break;
        case u'r':
            text += u'\r';
            break;
        case u'\\':
            text += u'\\';
            break;
        default:
            text += c;
            continue;
        }
        ++i;
    }
    return text;
}

} // namespace

RunRecordLine RunRecordLine::fromAction(const RunAction& action, const QDateTime& time,
                                        const QString& run)
{
    return {time,          run,           action.session, RunAction::kindName(action.kind),
            action.source, action.target, action.bytes,   RunAction::resultName(action.result),
            action.reason};
}

RunRecordLine RunRecordLine::closing(const RunSummary& summary, quint64 bytes,
                                     const QDateTime& time, const QString& run)
{
    const QString result = summary.cancelled    ? QStringLiteral("cancelled")
                           : summary.complete() ? QStringLiteral("complete")
                                                : QStringLiteral("incomplete");
    return {time,
            run,
            {},
            QStringLiteral("run"),
            {},
            {},
            bytes,
            result,
            summary.lines().join(QLatin1String(" / "))};
}

QString RunRecordLine::text() const
{
    return QStringList{RecordTimeText(time),   escaped(run),    escaped(session),
                       escaped(action),        escaped(source), escaped(target),
                       QString::number(bytes), escaped(result), escaped(reason)}
        .join(u'\t');
}

std::optional<RunRecordLine> RunRecordLine::parse(const QString& text)
{
    const QStringList fields = text.split(u'\t');
    if (fields.size() != FieldCount)
        return std::nullopt;
    const QDateTime time = QDateTime::fromString(fields[0], Qt::ISODate);
    bool number = false;
    const quint64 bytes = fields[6].toULongLong(&number);
    if (!time.isValid() || !number)
        return std::nullopt;
    return RunRecordLine{time,
                         unescaped(fields[1]),
                         unescaped(fields[2]),
                         unescaped(fields[3]),
                         unescaped(fields[4]),
                         unescaped(fields[5]),
                         bytes,
                         unescaped(fields[7]),
                         unescaped(fields[8])};
}

QString RunRecordLine::header()
{
    return QStringLiteral("time\trun\tsession\taction\tsource\ttarget\tbytes\tresult\treason");
}

QString RecordTimeText(const QDateTime& time)
{
    const int offset = time.offsetFromUtc() / 60;
    const int minutes = qAbs(offset);
    return time.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) + (offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString RunId(const QDateTime& start, qint64 pid)
{
    return start.toString(QStringLiteral("yyyyMMdd'T'HHmmss")) + u'-' + QString::number(pid);
}

QString RecordDetailsText(const QList<RunRecordLine>& lines)
{
    QStringList shown;
    for (const RunRecordLine& line : lines) {
        QStringList fields{line.time.toString(QStringLiteral("HH:mm:ss")), line.action,
                           line.result};
        if (line.action == QLatin1String("run")) {
            fields.append(line.reason);
        } else {
            const QString files = line.target.isEmpty() || line.target == line.source
                                      ? (line.source.isEmpty() ? line.target : line.source)
                                      : line.source + QStringLiteral(" -> ") + line.target;
            fields.append(files);
            fields.append(QStringLiteral("%1 bytes").arg(line.bytes));
            if (!line.reason.isEmpty())
                fields.append(line.reason.simplified());
        }
        shown.append(fields.join(QStringLiteral("  ")));
    }
    return shown.join(u'\n');
}

} // namespace tarvo
