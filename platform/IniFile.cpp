#include "platform/IniFile.h"

#include "platform/ErrorCodes.h"
#include "platform/FileReplace.h"

#include <algorithm>
#include <fcntl.h>
#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <sys/stat.h>

namespace tarvo {

namespace {

bool isHexDigit(char16_t ch)
{
    return (ch >= u'0' && ch <= u'9') || (ch >= u'a' && ch <= u'f') || (ch >= u'A' && ch <= u'F');
}

// A key or section name as QSettings reads it back: "/" as "\", letters,
// digits and "_-." as they are, any other character as %XX or %UXXXX.
QByteArray escapedKey(const QString& key)
{
    QByteArray out;
    for (const QChar c : key) {
        const char16_t ch = c.unicode();
        if (ch == u'/')
            out += '\\';
        else if (ch < 0x80 && (c.isLetterOrNumber() || ch == u'_' || ch == u'-' || ch == u'.'))
            out += char(ch);
        else if (ch <= 0xFF)
            out += '%' + QByteArray::number(ch, 16).toUpper().rightJustified(2, '0');
        else
            out += "%U" + QByteArray::number(ch, 16).toUpper().rightJustified(4, '0');
    }
    return out;
}

// One value's text, escaped as QSettings reads it: "\" and '"' with a
// backslash, control characters (and, in the bytes of a @ByteArray or
// @Variant, every byte past ASCII) as \xNN, a hex digit right after such an
// escape as well, so that it does not extend it. Other text is UTF-8. A value
// that holds ";", ",", "=" or "#", or that starts or ends with a blank, is
// written in double quotes.
QByteArray escapedValue(const QString& text)
{
    const bool bytes = text.startsWith(u"@ByteArray(") || text.startsWith(u"@Variant(") ||
                       text.startsWith(u"@DateTime(");
    QByteArray out;
    QString plain; // the characters written as UTF-8, since the last escape
    bool quote = false;
    bool afterHex = false;
    for (const QChar c : text) {
        const char16_t ch = c.unicode();
        quote = quote || ch == u';' || ch == u',' || ch == u'=' || ch == u'#';
        if (ch < 0x20 || ch == 0x7F || (bytes && ch > 0x7F) || c.isSurrogate() ||
            (afterHex && isHexDigit(ch))) {
            out += plain.toUtf8() + "\\x" + QByteArray::number(ch, 16);
            plain.clear();
            afterHex = true;
            continue;
        }
        afterHex = false;
        if (ch == u'\\' || ch == u'"')
            plain += u'\\';
        plain += c;
    }
    out += plain.toUtf8();
    if (quote || out.startsWith(' ') || out.endsWith(' '))
        return '"' + out + '"';
    return out;
}

// A value as QSettings puts it into text before escaping it.
QString variantText(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return QStringLiteral("@Invalid()");
    case QMetaType::QString: {
        const QString text = value.toString();
        return text.startsWith(u'@') ? u'@' + text : text; // "@@" reads as one "@"
    }
    case QMetaType::QByteArray:
        return QStringLiteral("@ByteArray(") + QString::fromLatin1(value.toByteArray()) + u')';
    default: {
        const bool time = value.typeId() == QMetaType::QDateTime;
        QByteArray stream;
        QDataStream out(&stream, QIODevice::WriteOnly);
        out.setVersion(time ? QDataStream::Qt_5_6 : QDataStream::Qt_4_0);
        out << value;
        return (time ? QStringLiteral("@DateTime(") : QStringLiteral("@Variant(")) +
               QString::fromLatin1(stream) + u')';
    }
    }
}

QByteArray valueLine(const QVariant& value)
{
    if (value.typeId() != QMetaType::QStringList && value.typeId() != QMetaType::QVariantList)
        return escapedValue(variantText(value));
    // A list is its items, separated by ", ".
    const QVariantList items = value.toList();
    if (items.isEmpty())
        return "@Invalid()";
    QByteArray line;
    for (const QVariant& item : items) {
        if (!line.isEmpty())
            line += ", ";
        line += escapedValue(variantText(item));
    }
    return line;
}

QByteArray sectionLine(const QString& section)
{
    if (section.isEmpty())
        return "[General]";
    // [General] holds the keys without a group; a group of that name is [%General].
    const QByteArray name = escapedKey(section);
    return '[' + (name.compare("general", Qt::CaseInsensitive) == 0 ? '%' + name : name) + ']';
}

qint64 milliseconds(const timespec& time)
{
    return qint64(time.tv_sec) * 1000 + time.tv_nsec / 1000000;
}

// QSettings reads a file again only when its size or its last-write time, to
// the millisecond, changed: the new file gets a later millisecond than the
// file it replaced, or a value set twice within one would read as the first.
void writtenAfter(const QByteArray& file, const struct stat& old)
{
    struct stat now = {};
    if (::stat(file.constData(), &now) != 0 ||
        milliseconds(now.st_mtim) > milliseconds(old.st_mtim))
        return;
    const qint64 later = milliseconds(old.st_mtim) + 1;
    const timespec times[2] = {{0, UTIME_OMIT},
                               {time_t(later / 1000), long(later % 1000) * 1000000}};
    ::utimensat(AT_FDCWD, file.constData(), times, 0);
}

} // namespace

QByteArray IniFileBytes(const QList<std::pair<QString, QVariant>>& values)
{
    QStringList sections;
    QHash<QString, QByteArray> lines;
    for (const auto& [key, value] : values) {
        const qsizetype slash = key.indexOf(u'/');
        const QString section = slash < 0 ? QString() : key.left(slash);
        if (!lines.contains(section))
            sections.append(section);
        lines[section] += escapedKey(key.mid(slash + 1)) + '=' + valueLine(value) + '\n';
    }
    QByteArray out;
    for (const QString& section : std::as_const(sections))
        out += (out.isEmpty() ? "" : "\n") + sectionLine(section) + '\n' + lines.value(section);
    return out;
}

int SetIniValue(const QString& file, const QString& key, const QVariant& value)
{
    return SetIniValues(file, {{key, value}});
}

int SetIniValues(const QString& file, const QList<std::pair<QString, QVariant>>& changed)
{
    QList<std::pair<QString, QVariant>> values;
    {
        const QSettings store(file, QSettings::IniFormat);
        // A file that cannot be read would lose its values.
        if (store.status() == QSettings::AccessError)
            return PlatformError::AccessDenied;
        for (const QString& name : store.allKeys()) {
            const bool replaced =
                std::any_of(changed.cbegin(), changed.cend(),
                            [&name](const auto& value) { return value.first == name; });
            if (!replaced)
                values.append({name, store.value(name)});
        }
    }
    values += changed;
    QDir().mkpath(QFileInfo(file).absolutePath()); // a folder that cannot be made fails below
    const QByteArray name = QFile::encodeName(file);
    struct stat old = {};
    const bool existed = ::stat(name.constData(), &old) == 0;
    const int error = ReplaceFileContents(file, IniFileBytes(values));
    if (error == PlatformError::Success && existed)
        writtenAfter(name, old);
    return error;
}

} // namespace tarvo
