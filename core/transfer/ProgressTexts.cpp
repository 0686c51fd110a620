#include "core/transfer/ProgressTexts.h"

#include <QLocale>

namespace tarvo {

namespace {

QString SizeText(quint64 bytes)
{
    return QLocale::c().formattedDataSize(qint64(bytes), 1, QLocale::DataSizeIecFormat);
}

} // namespace

QString ProgressBytesText(quint64 done, quint64 size)
{
    return QStringLiteral("%1 of %2").arg(SizeText(done), SizeText(size));
}

QString SpeedText(double bytesPerSecond)
{
    return SizeText(quint64(std::max(bytesPerSecond, 0.0))) + QStringLiteral("/s");
}

QString TimeLeftText(std::chrono::seconds left)
{
    const qint64 total = std::max<qint64>(left.count(), 0);
    const qint64 hours = total / 3600;
    const QString minutesSeconds =
        QStringLiteral("%1:%2")
            .arg(hours ? (total / 60) % 60 : total / 60, hours ? 2 : 1, 10, QLatin1Char('0'))
            .arg(total % 60, 2, 10, QLatin1Char('0'));
    return (hours ? QString::number(hours) + u':' + minutesSeconds : minutesSeconds) +
           QStringLiteral(" left");
}

} // namespace tarvo
