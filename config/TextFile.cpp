#include "config/TextFile.h"

#include <QFile>
#include <QStringDecoder>

namespace tarvo {

namespace {

bool isValidUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

// A file saved by a Windows editor may start with a byte order mark. UTF-8's
// is left out; UTF-16 and UTF-32 text is read as the same characters in
// UTF-8, so such a file loses none of its settings (saving writes UTF-8).
QByteArray withoutByteOrderMark(const QByteArray& bytes)
{
    const auto encoding = QStringConverter::encodingForData(bytes);
    if (!encoding)
        return bytes;
    if (*encoding == QStringConverter::Utf8)
        return bytes.sliced(3);
    QStringDecoder decoder(*encoding); // drops the mark
    return QString(decoder.decode(bytes)).toUtf8();
}

// The length in bytes of the UTF-8 sequence that starts with lead, or 1 for a
// byte that cannot start one (never the case in a file that decoded cleanly).
int utf8SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

QString trimBlanks(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isBlank(text.at(start)))
        ++start;
    while (end > start && isBlank(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

} // namespace

bool TextFile::open(const QString& path)
{
    m_bytes.clear();
    m_position = 0;
    m_lastLength = 0;
    m_open = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    setBytes(file.readAll());
    return true;
}

void TextFile::setBytes(const QByteArray& bytes)
{
    m_bytes = withoutByteOrderMark(bytes);
    m_position = 0;
    m_lastLength = 0;
    m_utf8 = isValidUtf8(m_bytes);
    m_open = true;
}

void TextFile::rewind()
{
    m_position = 0;
    m_lastLength = 0;
}

bool TextFile::readChar(char32_t& character)
{
    if (m_position >= m_bytes.size())
        return false;
    const auto lead = static_cast<unsigned char>(m_bytes.at(m_position));
    int length = 1;
    character = lead;
    if (m_utf8 && lead >= 0x80) {
        length = int(std::min<qint64>(utf8SequenceLength(lead), m_bytes.size() - m_position));
        const QString decoded = QString::fromUtf8(m_bytes.constData() + m_position, length);
        character = decoded.isEmpty() ? U'\uFFFD' : decoded.toUcs4().value(0, U'\uFFFD');
    }
    m_position += length;
    m_lastLength = length;
    return true;
}

void TextFile::pushBack()
{
    if (m_position == 0)
        return;
    m_position -= m_lastLength > 0 ? m_lastLength : 1;
    m_lastLength = 0;
}

bool TextFile::ReadLine(QString& line)
{
    line.clear();
    char32_t character = 0;
    while (line.size() < MaxLineLength) {
        if (!readChar(character))
            return false;
        if (character == U'\n')
            return true;
        if (character == U'\r') {
            char32_t next = 0;
            if (!readChar(next))
                return false; // a CR as the last byte ends the last line
            if (next == U'\n')
                return true;
            pushBack();
        }
        if (QChar::requiresSurrogates(character)) {
            line += QChar(QChar::highSurrogate(character));
            line += QChar(QChar::lowSurrogate(character));
        } else {
            line += QChar(char16_t(character));
        }
    }
    return skipRestOfLine();
}

bool TextFile::skipRestOfLine()
{
    // The rest of a cut line is no line of its own: read as one, it could
    // start a section or add a key that nobody wrote, and every line after it
    // would be lost or misread.
    char32_t character = 0;
    while (readChar(character)) {
        if (character == U'\n')
            return true;
        if (character == U'\r') {
            char32_t next = 0;
            if (!readChar(next))
                return false;
            if (next == U'\n')
                return true;
            pushBack();
        }
    }
    return false;
}

bool NeedsQuotes(const QString& value)
{
    if (value.contains(u';'))
        return true;
    // Blanks at either end, here or inside any number of quote pairs that
    // reading would take off.
    QStringView rest(value);
    for (;;) {
        if (!rest.isEmpty() && (isBlank(rest.front()) || isBlank(rest.back())))
            return true;
        if (rest.size() < 2 || rest.front() != u'"' || rest.back() != u'"')
            return false;
        rest = rest.mid(1, rest.size() - 2);
    }
}

bool IsQuotedValue(const QString& value)
{
    return value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"') &&
           NeedsQuotes(value.mid(1, value.size() - 2));
}

QString QuoteValue(const QString& value)
{
    return NeedsQuotes(value) ? u'"' + value + u'"' : value;
}

QString UnquoteValue(const QString& value)
{
    return IsQuotedValue(value) ? value.mid(1, value.size() - 2) : value;
}

QString CleanLine(const QString& line)
{
    const qsizetype equals = line.indexOf(u'=');
    const qsizetype semicolon = line.indexOf(u';');
    if (equals >= 0 && (semicolon < 0 || semicolon > equals) &&
        IsQuotedValue(trimBlanks(line.mid(equals + 1))))
        return trimBlanks(line);
    return trimBlanks(semicolon < 0 ? line : line.left(semicolon));
}

bool ConfigFile::FindSection(const QString& name)
{
    rewind();
    QString line;
    while (ReadLine(line)) {
        const QString cleaned = CleanLine(line);
        if (!cleaned.startsWith(u'['))
            continue;
        const qsizetype close = cleaned.lastIndexOf(u']');
        if (close < 1)
            continue;
        if (trimBlanks(cleaned.mid(1, close - 1)).compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool ConfigFile::NextKeyValue(QString& key, QString& value)
{
    QString line;
    for (;;) {
        const bool more = ReadLine(line);
        const QString cleaned = CleanLine(line);
        if (cleaned.startsWith(u'['))
            return false;
        const qsizetype equals = cleaned.indexOf(u'=');
        if (cleaned.isEmpty() || equals < 0) {
            if (more)
                continue;
            return false;
        }
        key = trimBlanks(cleaned.left(equals));
        value = UnquoteValue(trimBlanks(cleaned.mid(equals + 1)));
        return true;
    }
}

int ConfigFile::GetValue(const QString& section, const QString& key, QString& value,
                         const QString& defaultValue)
{
    if (FindSection(section)) {
        QString foundKey;
        QString foundValue;
        while (NextKeyValue(foundKey, foundValue)) {
            if (foundKey.compare(key, Qt::CaseInsensitive) == 0) {
                value = foundValue;
                return int(value.size());
            }
        }
    }
    value = defaultValue;
    return -1;
}

int ConfigFile::ReadSection(QHash<QString, QString>& map, const QString& section,
                            QStringList* names)
{
    if (!FindSection(section))
        return -1;
    int count = 0;
    QString key;
    QString value;
    while (NextKeyValue(key, value)) {
        if (names && !map.contains(key))
            names->append(key);
        map.insert(key, value);
        ++count;
    }
    return count;
}

} // namespace tarvo
