#include "gui/main/WindowState.h"

#include "platform/ErrorCodes.h"
#include "platform/IniFile.h"

#include <QSettings>

namespace tarvo {

namespace {

const QString GeometryKey = QStringLiteral("MainWindow/geometry");
const QString ColumnsKey = QStringLiteral("MainWindow/columnShares");
const QString SortColumnKey = QStringLiteral("MainWindow/sortColumn");
const QString SortOrderKey = QStringLiteral("MainWindow/sortDescending");
const QString SessionKey = QStringLiteral("MainWindow/session");

} // namespace

QByteArray ReadWindowGeometry(const QString& stateFile)
{
    if (stateFile.isEmpty())
        return {};
    const QSettings state(stateFile, QSettings::IniFormat);
    const QVariant geometry = state.value(GeometryKey);
    return geometry.typeId() == QMetaType::QByteArray ? geometry.toByteArray() : QByteArray();
}

int WriteWindowGeometry(const QString& stateFile, const QByteArray& geometry)
{
    if (stateFile.isEmpty())
        return PlatformError::Success;
    return SetIniValue(stateFile, GeometryKey, geometry);
}

ListState ReadListState(const QString& stateFile)
{
    ListState list;
    if (stateFile.isEmpty())
        return list;
    const QSettings state(stateFile, QSettings::IniFormat);
    for (const QString& share : state.value(ColumnsKey).toStringList()) {
        bool number = false;
        const double value = share.toDouble(&number);
        if (!number || value <= 0 || value > 1) {
            list.columnShares.clear(); // a list written by hand wrongly: none
            break;
        }
        list.columnShares.append(value);
    }
    bool number = false;
    const int column = state.value(SortColumnKey).toInt(&number);
    list.sortColumn = number && column >= 0 ? column : -1;
    list.sortOrder = state.value(SortOrderKey).toBool() ? Qt::DescendingOrder : Qt::AscendingOrder;
    list.session = state.value(SessionKey).toString();
    return list;
}

int WriteWindowState(const QString& stateFile, const QByteArray& geometry, const ListState& list)
{
    if (stateFile.isEmpty())
        return PlatformError::Success;
    QStringList shares;
    for (double share : list.columnShares)
        shares.append(QString::number(share, 'g', 6));
    return SetIniValues(stateFile, {{GeometryKey, geometry},
                                    {ColumnsKey, shares},
                                    {SortColumnKey, list.sortColumn},
                                    {SortOrderKey, list.sortOrder == Qt::DescendingOrder},
                                    {SessionKey, list.session}});
}

QSize StartWindowSize(const QSize& available)
{
    return QSize(qMin(640, available.width() * 2 / 3), qMin(480, available.height() * 2 / 3));
}

} // namespace tarvo
