#pragma once

#include <QString>

namespace tarvo {

struct Session;

// A folder that the user gives a session, typed into the main window's Path
// box or chosen in the folder browser, checked against the session's line.
struct SessionFolderChange
{
    enum Result {
        Changed,   // line is the session's new line
        Unchanged, // the session already lists this folder
        NoSession, // no session is named, so there is no line to change
        Refused,   // the session cannot list this folder; message says why
    };
    Result result = Unchanged;
    QString line;
    QString message;
};

// "\" and "/" both separate folders, and a trailing separator or a change of
// letter case alone is no change. A Put session lists a folder of the device
// ("\Out"; "Out" is taken as "\Out"), never a network path; a Get session a
// folder on its own share ("\\server\share\In", the share's letter case
// aside). Sessions of another kind or without a direction have no folder of
// their own to change.
SessionFolderChange ChangeSessionFolder(const Session& session, const QString& folder);

} // namespace tarvo
