#pragma once

#include "config/Settings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tarvo {

// Mistakes in a configuration that loading passes over without a word, one
// note per mistake, each naming its session: in a Net line, a direction or
// post-operation that is no known name (it is taken as None; an empty field
// is None as written), a server whose ":port" is not a number from 1 to
// 65535, or a share field that names no server or no share; a DefaultSession
// entry that names no session; a session name written twice in [Session]
// (the last line is used). Ftp lines are checked only for the last two.
// Then the keys that keep every file out of the main list: a Filter with no
// pattern (or, with FilterExclude=Yes, one that matches every name), and,
// when a Net session gets from a share, ShowArchive not Yes, which hides
// every file written over SMB.
// settings are as loaded from fileBytes; neither is changed.
QStringList CheckConfiguration(const Settings& settings, const QByteArray& fileBytes);

// The same for the file that settings were loaded from; nothing when it
// cannot be read (the settings are then the defaults).
QStringList CheckConfigurationFile(const Settings& settings, const QString& path);

// The one message that lists every note of the file at path.
QString ConfigurationNotesMessage(const QString& path, const QStringList& notes);

} // namespace tarvo
