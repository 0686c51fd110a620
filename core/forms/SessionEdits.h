#pragma once

#include "config/Settings.h"
#include "core/forms/SessionForm.h"

#include <functional>
#include <QString>
#include <QStringList>

namespace tarvo {

// The Net page's edits of the session table and the default sessions. Each
// takes the settings as they are and gives back the settings after the edit,
// with what the page needs to show it; none of them asks the user anything
// but through the answer it is handed.

struct StoredSession
{
    Settings settings;
    QString name; // the dialog's name, under which the line is stored
    QString line;
    // The edited session's old spelling when only the letter case of its name
    // changed; empty otherwise.
    QString renamedFrom;
};

// Stores the dialog's values under their session name. editedName is the name
// the dialog was opened with, empty for Add. A name that differs from it only
// in letter case, and names no session yet, renames the session: the old
// spelling leaves the table and the new one takes its place among the
// defaults. Any other new name leaves the edited session as it was.
StoredSession StoreSession(const Settings& settings, const QString& editedName,
                           const SessionForm& form);

struct RemovedSessions
{
    Settings settings;
    QStringList removed; // in the order they went
};

// Removes the named sessions, one after the other in the order given. A
// default session (its name among the defaults in any letter case) goes only
// when confirmDefault, asked with its name just then, says yes; it leaves the
// defaults under its exact spelling only.
RemovedSessions RemoveSessions(const Settings& settings, const QStringList& names,
                               const std::function<bool(const QString& name)>& confirmDefault);

// The defaults become exactly the named sessions, in the order given; every
// other default, whatever it names, is dropped.
Settings SetDefaultSessions(const Settings& settings, const QStringList& names);

} // namespace tarvo
