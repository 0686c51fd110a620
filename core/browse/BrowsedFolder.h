#pragma once

#include <QString>

namespace tarvo {

class SessionTable;

// What the main window does with the folder chosen in the browser for the
// session it names: when the folder differs from the Path box (letter case
// and a trailing separator aside), it becomes the session's folder in its line (SetSessionFolder:
// the local folder of a Put session, the part below the share of a Get
// session). True when it did, so the Path box and the list are to follow.
// With no session named there is no line to store into and nothing changes.
// The line lives in memory until the next save of the configuration.
bool StoreBrowsedFolder(SessionTable& sessions, const QString& name, const QString& pathBoxText,
                        const QString& chosen);

} // namespace tarvo
