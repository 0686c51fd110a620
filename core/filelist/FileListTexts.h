#pragma once

#include "platform/FileTypes.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace tarvo {

// A file time as the user reads it: the local short date, and with dateOnly
// false a blank and the local time. Empty when the time cannot be formatted.
QString FileDateText(FileTime fileTime, bool dateOnly);

// The Size column: the whole size in whole kilobytes, rounded down, and a
// "k": 5 GiB is "5242880k".
QString FileSizeText(quint64 size);

// "1,234,567 bytes", as the Progress and replace dialogs show a file's size.
QString FileBytesText(quint64 size);

// The main window's status line: "24 files, 3 selected (1.2 MB)", the size
// in units of 1,024 as file managers show it.
QString ListStatusText(int rows, int selected, quint64 selectedBytes);

// The digits with "," between groups of three from the right: 1234567 gives
// 1,234,567.
QString FormatThousands(const QString& digits);

// The same date texts for many files at once: files of one day share one
// formatted (and implicitly shared) text.
class FileDateFormatter
{
public:
    QString dateText(FileTime fileTime);

private:
    QLocale m_locale = QLocale::system();
    qint64 m_dayStart = 0; // the last local day seen, in UTC milliseconds
    qint64 m_dayEnd = 0;
    QString m_lastText;
};

// The five columns of the main list.
namespace FileListColumns {
enum Column { Name = 0, Date = 1, Size = 2, Path = 3, Session = 4, Count = 5 };

QStringList headerTexts();

// Column widths for a list whose client area is clientWidth pixels wide.
QList<int> widths(int clientWidth);
} // namespace FileListColumns

} // namespace tarvo
