#include "core/transfer/ProgressTexts.h"

#include <algorithm>
#include <QLocale>

namespace tarvo {

QString DataSizeText(quint64 bytes)
{
    return QLocale().formattedDataSize(qint64(bytes), 1, QLocale::DataSizeTraditionalFormat);
}

QString BytesOfText(quint64 done, quint64 total)
{
    return QStringLiteral("%1 of %2").arg(DataSizeText(done), DataSizeText(total));
}

QString ResumingText(quint64 offset, quint64 total)
{
    return QStringLiteral("resuming at ") + BytesOfText(offset, total);
}

QString ResumedText(quint64 offset, quint64 total)
{
    return QStringLiteral("resumed at ") + BytesOfText(offset, total);
}

QString SpeedText(double bytesPerSecond)
{
    return DataSizeText(quint64(std::max(bytesPerSecond, 0.0))) + QStringLiteral("/s");
}

QString TimeLeftText(std::chrono::seconds left)
{
    const qint64 seconds = std::max<qint64>(left.count(), 0);
    if (seconds < 60)
        return QStringLiteral("%1 s left").arg(seconds);
    const qint64 minutes = (seconds + 59) / 60;
    if (minutes < 60)
        return QStringLiteral("%1 min left").arg(minutes);
    return QStringLiteral("%1 h %2 min left").arg(minutes / 60).arg(minutes % 60);
}

QString ProgressTitle(int percent)
{
    return QStringLiteral("%1% \u2013 Sending \u2013 Tarvo").arg(QLocale().toString(percent));
}

} // namespace tarvo
