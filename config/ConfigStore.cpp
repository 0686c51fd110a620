#include "config/ConfigStore.h"

#include "config/NetSession.h"
#include "config/TextFile.h"
#include "platform/ErrorCodes.h"
#include "platform/ErrorTexts.h"
#include "platform/FileReplace.h"
#include "platform/MessageService.h"
#include "platform/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace tarvo {

namespace {

const QString SettingSection = QStringLiteral("Setting");
const QString SessionSection = QStringLiteral("Session");

// Yes/No values: "No"/"N" first, then "Yes"/"Y"; anything else leaves the
// field as it was.
enum class YesNo { No, Yes, Other };

YesNo parseYesNo(const QString& value)
{
    if (value.compare(u"No", Qt::CaseInsensitive) == 0 ||
        value.compare(u"N", Qt::CaseInsensitive) == 0)
        return YesNo::No;
    if (value.compare(u"Yes", Qt::CaseInsensitive) == 0 ||
        value.compare(u"Y", Qt::CaseInsensitive) == 0)
        return YesNo::Yes;
    return YesNo::Other;
}

void readFlag(ConfigFile& file, const char16_t* key, const char16_t* missing, bool& field)
{
    QString value;
    file.GetValue(SettingSection, QString::fromUtf16(key), value, QString::fromUtf16(missing));
    const YesNo parsed = parseYesNo(value);
    if (parsed != YesNo::Other)
        field = parsed == YesNo::Yes;
}

void readShowBit(ConfigFile& file, const char16_t* key, quint32 bit, quint32& mask)
{
    QString value;
    file.GetValue(SettingSection, QString::fromUtf16(key), value, QStringLiteral("No"));
    switch (parseYesNo(value)) {
    case YesNo::No:
        mask &= ~bit;
        break;
    case YesNo::Yes:
        mask |= bit;
        break;
    case YesNo::Other:
        break; // stays as in the built-in mask
    }
}

QByteArray yesNo(bool value)
{
    return value ? QByteArrayLiteral("Yes") : QByteArrayLiteral("No");
}

QByteArray valueBytes(const QString& value)
{
    return QuoteValue(value).toUtf8();
}

QString executableConfigPath(const QString& executablePath)
{
    // The file name's extension, if any, becomes ".txt": "tarvo" gives
    // "tarvo.txt", "Tarvo.exe" gives "Tarvo.txt". Dots in folder names stay.
    const qsizetype slash = executablePath.lastIndexOf(u'/');
    const qsizetype dot = executablePath.lastIndexOf(u'.');
    const QString stem = dot > slash + 1 ? executablePath.left(dot) : executablePath;
    return stem + QStringLiteral(".txt");
}

void loadSettings(Settings& settings, ConfigFile& file)
{
    SetDefaultSettings(settings);
    file.GetValue(SettingSection, QStringLiteral("Filter"), settings.Filter, QStringLiteral("*.*"));
    readFlag(file, u"FilterExclude", u"No", settings.FilterExclude);
    readFlag(file, u"ShowFolder", u"No", settings.ShowFolder);
    readFlag(file, u"TreeSpeed", u"No", settings.TreeSpeed);
    readFlag(file, u"DefaultSelect", u"Yes", settings.DefaultSelect);
    readFlag(file, u"EnableOption", u"Yes", settings.EnableOption);
    readFlag(file, u"Keyring", u"No", settings.Keyring);

    QString choice;
    file.GetValue(SettingSection, QStringLiteral("DefaultChoice"), choice, QStringLiteral("Yes"));
    settings.DefaultChoice = 0;
    switch (parseYesNo(choice)) {
    case YesNo::No:
        settings.DefaultChoice = 4;
        break;
    case YesNo::Yes:
        settings.DefaultChoice = 2;
        break;
    case YesNo::Other:
        break;
    }

    quint32 mask = Settings::DefaultShowAttributes;
    readShowBit(file, u"ShowArchive", FileAttribute::Archive, mask);
    readShowBit(file, u"ShowHidden", FileAttribute::Hidden, mask);
    readShowBit(file, u"ShowReadonly", FileAttribute::ReadOnly, mask);
    readShowBit(file, u"ShowSystem", FileAttribute::System, mask);
    readShowBit(file, u"ShowInRom", FileAttribute::InRom, mask);
    settings.ShowAttributes = mask;

    QString defaults;
    file.GetValue(SettingSection, QStringLiteral("DefaultSession"), defaults, QString());
    SplitList(defaults, u',', settings.DefaultSession);

    QHash<QString, QString> lines;
    QStringList names;
    file.ReadSection(lines, SessionSection, &names);
    for (const QString& name : std::as_const(names))
        settings.Sessions.insert(name, lines.value(name));
}

} // namespace

QString GetConfigFilePath(const ConfigLocation& location)
{
    if (!location.explicitPath.isEmpty())
        return location.explicitPath;
    if (location.registry) {
        const auto value = location.registry->readValue(QString::fromUtf16(RegistryKey),
                                                        QStringLiteral("Setting"));
        if (value) {
            // The value must be a string short enough for the 255-byte read buffer.
            if (!value->isString || value->text.size() > 126)
                return QString();
            return value->text;
        }
    }
    const QString besideProgram = executableConfigPath(location.executablePath);
    const QFileInfo programFolder(QFileInfo(besideProgram).absolutePath());
    if (QFileInfo::exists(besideProgram) || (programFolder.isDir() && programFolder.isWritable()))
        return besideProgram;
    const QString folder = location.userConfigFolder.isEmpty()
                               ? ConfigLocation::defaultUserConfigFolder()
                               : location.userConfigFolder;
    QDir().mkpath(folder); // so that the first save can create the file
    return folder + QStringLiteral("/tarvo.txt");
}

QString ConfigLocation::defaultUserConfigFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/tarvo");
}

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
}

void SetDefaultSettings(Settings& settings)
{
    // The [Setting] values as a new Settings has them; the sessions stay.
    Settings defaults;
    defaults.DefaultSession = std::move(settings.DefaultSession);
    defaults.Sessions = std::move(settings.Sessions);
    settings = std::move(defaults);
}

void LoadSettingsFromFile(Settings& settings, const QString& path)
{
    ConfigFile file(path);
    loadSettings(settings, file);
}

void LoadSettingsFromBytes(Settings& settings, const QByteArray& bytes)
{
    ConfigFile file(bytes);
    loadSettings(settings, file);
}

bool LoadSettings(Settings& settings, const QString& path, MessageService& messages)
{
    if (!FileExists(path)) {
        // Something is there but cannot be read: running with the defaults
        // would let the next save replace it, so say what is wrong instead.
        if (QFileInfo::exists(path)) {
            messages.showMessage(
                QStringLiteral("The configuration file\r\n%1\r\ncannot be read. Make it a file "
                               "that you may read, or name another one with --config.")
                    .arg(path),
                MessageIcon::Error, MessageButtons::Ok);
            return false;
        }
        const QString question =
            QStringLiteral("No configuration file\r\n%1\r\nUse default settings?").arg(path);
        if (messages.showMessage(question, MessageIcon::Question, MessageButtons::OkCancel) ==
            MessageResult::Cancel)
            return false;
        SetDefaultSettings(settings);
        return true;
    }
    LoadSettingsFromFile(settings, path);
    return true;
}

QByteArray SettingsFileBytes(const Settings& settings)
{
    const QByteArray crlf = QByteArrayLiteral("\r\n");
    QByteArray out;
    out += crlf + "; Specify default settings" + crlf + "[Setting]" + crlf;
    out += "EnableOption=" + yesNo(settings.EnableOption) + crlf;
    out += "DefaultChoice=";
    out += settings.DefaultChoice == 2   ? QByteArrayLiteral("Yes")
           : settings.DefaultChoice == 4 ? QByteArrayLiteral("No")
                                         : QByteArrayLiteral("None");
    out += crlf;
    out += "Filter=" + valueBytes(settings.Filter) + crlf;
    out += "FilterExclude=" + yesNo(settings.FilterExclude) + crlf;
    out += "TreeSpeed=" + yesNo(settings.TreeSpeed) + crlf;
    out += "DefaultSelect=" + yesNo(settings.DefaultSelect) + crlf;
    out += "ShowFolder=" + yesNo(settings.ShowFolder) + crlf;
    const quint32 mask = settings.ShowAttributes;
    out += "ShowArchive=" + yesNo(mask & FileAttribute::Archive) + crlf;
    out += "ShowHidden=" + yesNo(mask & FileAttribute::Hidden) + crlf;
    out += "ShowReadonly=" + yesNo(mask & FileAttribute::ReadOnly) + crlf;
    out += "ShowSystem=" + yesNo(mask & FileAttribute::System) + crlf;
    out += "ShowInRom=" + yesNo(mask & FileAttribute::InRom) + crlf;
    out += "DefaultSession=" + valueBytes(JoinList(settings.DefaultSession, u',')) + crlf;
    if (settings.Keyring)
        out += "Keyring=Yes" + crlf;
    out += crlf + "; Specify network share information" + crlf;
    out += "; session=share,domain,ppc folder,pc folder,post op,post folder,username,password";
    out += crlf + "[Session]" + crlf;
    for (const QString& name : settings.Sessions.names()) {
        // The keyring holds the passwords: the file keeps empty fields.
        const QString line = settings.Keyring ? WithPassword(settings.Sessions.line(name), {})
                                              : settings.Sessions.line(name);
        out += name.toUtf8() + '=' + valueBytes(line) + crlf;
    }
    return out;
}

bool SaveSettings(const Settings& settings, const QString& path, MessageService& messages)
{
    // A complete, flushed copy replaces the old file, or the old file stays
    // byte for byte: a full disk never loses the user's sessions. The file
    // holds passwords, so only its owner may read it.
    const int error = ReplaceFileContents(path, SettingsFileBytes(settings), 0600);
    if (error != PlatformError::Success) {
        messages.showMessage(QStringLiteral("Failed to write the configuration file %1\r\n%2")
                                 .arg(path, ErrorReason(error)),
                             MessageIcon::Error, MessageButtons::Ok);
        return false;
    }
    return true;
}

void SplitList(const QString& text, QChar separator, QStringList& list)
{
    list.append(text.split(separator));
}

QString JoinList(const QStringList& list, QChar separator)
{
    return list.join(separator);
}

} // namespace tarvo
