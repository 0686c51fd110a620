#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <utility>

namespace tarvo {

// The small INI files the program keeps for itself (the window state, the
// registry stand-in). QSettings reads them, and so every file that QSettings
// wrote or that a user wrote by hand still reads; they are written here,
// never by QSettings' own save, which can leave an empty file behind on a
// full disk without saying so.

// The text of an INI file that QSettings reads back as these values. Keys
// are QSettings keys ("Group/Sub/Name"); one without a group is in [General].
QByteArray IniFileBytes(const QList<std::pair<QString, QVariant>>& values);

// Sets one value of the file and keeps the others; the file (and its folder)
// is made when missing. The file is replaced only by a complete, flushed
// copy: 0, or the PlatformError code that says why it stayed as it was.
int SetIniValue(const QString& file, const QString& key, const QVariant& value);
// The same for several values at once, in one replacement of the file.
int SetIniValues(const QString& file, const QList<std::pair<QString, QVariant>>& changed);

} // namespace tarvo
