#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace tarvo {

// Reads a text file one character at a time, with one character of push-back.
// The file is read whole when it is opened; it is decoded as UTF-8 when its
// bytes are valid UTF-8, else byte by byte (each byte the character of the same
// code). A byte order mark is left out, and UTF-16 or UTF-32 text after one is
// read as the characters it holds.
class TextFile
{
public:
    TextFile() = default;
    virtual ~TextFile() = default;

    // Opens an existing file for reading; false (and no file) when it cannot.
    bool open(const QString& path);
    // Reads from bytes already in memory instead of a file.
    void setBytes(const QByteArray& bytes);
    bool isOpen() const { return m_open; }

    qint64 length() const { return m_bytes.size(); }
    qint64 position() const { return m_position; }

    void rewind();

    // The next character (one code point), or false at the end.
    bool readChar(char32_t& character);
    // Steps back over the last character read; nothing happens at position 0.
    void pushBack();

    // Reads one line: true when a line end ended it, false at the end of the
    // file (the text read so far is still delivered). CR LF and LF end a line;
    // a lone CR is a character, except as the last byte of the file. A line
    // longer than MaxLineLength characters is cut there: the rest of it, up
    // to its line end, is skipped.
    bool ReadLine(QString& line);

    static constexpr int MaxLineLength = 10239;

private:
    // Reads up to and past the next line end; true when there was one.
    bool skipRestOfLine();

    QByteArray m_bytes;
    qint64 m_position = 0;
    qint64 m_lastLength = 0;
    bool m_open = false;
    bool m_utf8 = false;
};

// The section and key reader of the configuration file.
class ConfigFile : public TextFile
{
public:
    ConfigFile() = default;
    explicit ConfigFile(const QString& path) { open(path); }
    explicit ConfigFile(const QByteArray& bytes) { setBytes(bytes); }

    bool FindSection(const QString& name);
    bool NextKeyValue(QString& key, QString& value);
    int GetValue(const QString& section, const QString& key, QString& value,
                 const QString& defaultValue);
    // Appends to names (in first-seen order) as well as the map, so callers can keep the file's
    // order.
    int ReadSection(QHash<QString, QString>& map, const QString& section,
                    QStringList* names = nullptr);
};

// Cuts the line at its first ";" and trims white space at both ends. A value
// written in quotes (key="a;b") keeps its ";" and its blanks.
QString CleanLine(const QString& line);

// Values that reading would change (a ";" would start a comment, blanks at
// either end would be trimmed) are written in double quotes; reading takes
// exactly one pair of quotes off again. Every other value is written as it is,
// so files without such values read exactly as they always did.
bool NeedsQuotes(const QString& value);
bool IsQuotedValue(const QString& value);
QString QuoteValue(const QString& value);
QString UnquoteValue(const QString& value);

} // namespace tarvo
