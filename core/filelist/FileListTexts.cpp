#include "core/filelist/FileListTexts.h"

#include "platform/FileTimes.h"

#include <algorithm>
#include <iterator>
#include <QDateTime>

namespace tarvo {

namespace {

QDateTime LocalTime(FileTime fileTime)
{
    return QDateTime::fromMSecsSinceEpoch(unixMillisecondsFromFileTime(fileTime), Qt::UTC)
        .toLocalTime();
}

} // namespace

QString FileDateText(FileTime fileTime, bool dateOnly)
{
    const QDateTime local = LocalTime(fileTime);
    if (!local.isValid())
        return {};
    const QLocale locale = QLocale::system();
    const QString date = locale.toString(local.date(), QLocale::ShortFormat);
    if (date.isEmpty() || dateOnly)
        return date;
    const QString time = locale.toString(local.time(), QLocale::ShortFormat);
    return time.isEmpty() ? QString() : date + u' ' + time;
}

QString FormatThousands(const QString& digits)
{
    QString reversed = digits;
    std::reverse(reversed.begin(), reversed.end());
    QString output;
    qsizetype position = 0;
    while (reversed.size() - position > 3) {
        output += QStringView(reversed).mid(position, 3);
        output += u',';
        position += 3;
    }
    output += QStringView(reversed).mid(position);
    std::reverse(output.begin(), output.end());
    return output;
}

QString FileBytesText(quint64 size)
{
    // The whole size: its low 32 bits alone would show a file of 2 GiB or
    // more with a negative or wrapped size.
    return FormatThousands(QString::number(size)) + QStringLiteral(" bytes");
}

QString FileSizeText(quint64 size)
{
    // Written backwards into a buffer: a single allocation for every row.
    quint64 kilobytes = size / 1024;
    char16_t text[18]; // the 17 digits of the largest size, and the "k"
    qsizetype start = std::size(text);
    text[--start] = u'k';
    do {
        text[--start] = char16_t(u'0' + kilobytes % 10);
        kilobytes /= 10;
    } while (kilobytes != 0);
    return QStringView(text + start, std::size(text) - start).toString();
}

QString FileDateFormatter::dateText(FileTime fileTime)
{
    const qint64 msecs = unixMillisecondsFromFileTime(fileTime);
    // Converting to local time asks the C library, which looks at the zone
    // file each time: a time within the local day already seen skips that.
    if (msecs >= m_dayStart && msecs < m_dayEnd)
        return m_lastText;
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC).toLocalTime();
    if (!local.isValid())
        return {};
    const QDate date = local.date();
    m_lastText = m_locale.toString(date, QLocale::ShortFormat);
    m_dayStart = QDateTime(date, QTime(0, 0), Qt::LocalTime).toMSecsSinceEpoch();
    m_dayEnd = QDateTime(date.addDays(1), QTime(0, 0), Qt::LocalTime).toMSecsSinceEpoch();
    if (msecs < m_dayStart || msecs >= m_dayEnd)
        m_dayStart = m_dayEnd = 0; // a day that the zone's rules make odd: no shortcut
    return m_lastText;
}

namespace FileListColumns {

QStringList headerTexts()
{
    return {QStringLiteral(" File Name "), QStringLiteral(" Date "), QStringLiteral("Size"),
            QStringLiteral("Path"), QStringLiteral("Session")};
}

QList<int> widths(int w)
{
    return {w / 2, w / 3 - 12, w / 6 - 4, w * 3 / 4, w / 2};
}

} // namespace FileListColumns

QString ListStatusText(int rows, int selected, quint64 selectedBytes)
{
    const QString files =
        rows == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(rows);
    if (selected == 0)
        return files + QStringLiteral(", none selected");
    return QStringLiteral("%1, %2 selected (%3)")
        .arg(files)
        .arg(selected)
        .arg(QLocale::c().formattedDataSize(qint64(selectedBytes), 1,
                                            QLocale::DataSizeTraditionalFormat));
}

} // namespace tarvo
