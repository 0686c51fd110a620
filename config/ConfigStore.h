#pragma once

#include "config/Settings.h"

#include <QByteArray>
#include <QString>

namespace tarvo {

class MessageService;
class Registry;

// Where the configuration file is: the path given on the command line, else
// the registry's "Setting" value, else the executable's path with ".txt" when
// that file exists or could be created there, else tarvo.txt in the user's
// configuration folder (an installed program's folder is not the user's to write).
struct ConfigLocation
{
    QString explicitPath; // --config FILE; wins over the others
    Registry* registry = nullptr;
    QString executablePath;   // the running program
    QString userConfigFolder; // empty: ~/.config/tarvo

    static QString defaultUserConfigFolder();
};

inline constexpr char16_t RegistryKey[] = u"Software\\Quenda\\Tarvo";

QString GetConfigFilePath(const ConfigLocation& location);

// True when the file exists and can be opened for reading.
bool FileExists(const QString& path);

// Reads the configuration file into settings. When the file is missing, asks
// whether to use the default settings; false when the user declines.
bool LoadSettings(Settings& settings, const QString& path, MessageService& messages);

// Loads an existing file, or the bytes of one, without any question.
void LoadSettingsFromFile(Settings& settings, const QString& path);
void LoadSettingsFromBytes(Settings& settings, const QByteArray& bytes);

void SetDefaultSettings(Settings& settings);

// The exact bytes that SaveSettings writes.
QByteArray SettingsFileBytes(const Settings& settings);

// Replaces the file with SettingsFileBytes, readable by its owner only, and
// only by a complete, flushed copy (a link stays a link). On failure the old
// file stays byte for byte, the user is told which file and why, and false is
// returned; the settings in memory are left as they are.
bool SaveSettings(const Settings& settings, const QString& path, MessageService& messages);

void SplitList(const QString& text, QChar separator, QStringList& list);
QString JoinList(const QStringList& list, QChar separator);

} // namespace tarvo
