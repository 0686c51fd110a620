#include "platform/Registry.h"

#include "platform/ErrorCodes.h"
#include "platform/IniFile.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace tarvo {

namespace {

QString settingsKey(const QString& key, const QString& name)
{
    // QSettings groups are separated by "/"; registry keys by "\".
    QString path = key;
    path.replace(u'\\', u'/');
    while (path.endsWith(u'/'))
        path.chop(1);
    return path + u'/' + name;
}

QString defaultFile()
{
    const QByteArray fromEnvironment = qgetenv(Registry::EnvironmentVariable);
    if (!fromEnvironment.isEmpty())
        return QString::fromLocal8Bit(fromEnvironment);
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/tarvo/registry.ini");
}

} // namespace

Registry::Registry()
    : m_file(defaultFile())
{}

Registry::Registry(QString file)
    : m_file(std::move(file))
{}

std::optional<Registry::Value> Registry::readValue(const QString& key, const QString& name) const
{
    if (!QFileInfo::exists(m_file))
        return std::nullopt;
    const QSettings store(m_file, QSettings::IniFormat);
    const QVariant value = store.value(settingsKey(key, name));
    if (!value.isValid())
        return std::nullopt;
    if (value.typeId() != QMetaType::QString)
        return Value{false, QString()};
    return Value{true, value.toString()};
}

bool Registry::writeString(const QString& key, const QString& name, const QString& text, int* error)
{
    const int result = SetIniValue(m_file, settingsKey(key, name), text);
    if (error)
        *error = result;
    return result == PlatformError::Success;
}

} // namespace tarvo
