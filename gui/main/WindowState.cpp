#include "gui/main/WindowState.h"

#include "platform/ErrorCodes.h"
#include "platform/IniFile.h"

#include <QSettings>

namespace tarvo {

namespace {

const QString GeometryKey = QStringLiteral("MainWindow/geometry");

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

QSize StartWindowSize(const QSize& available)
{
    return QSize(qMin(640, available.width() * 2 / 3), qMin(480, available.height() * 2 / 3));
}

} // namespace tarvo
