#pragma once

#include <optional>
#include <QString>
#include <QStringList>

namespace tarvo {

struct NetSession;

// The ten texts of the "Map Network Drive" dialog, in the dialog's order.
// Post and op are names as typed or chosen ("Copy", "Put"), not codes.
struct SessionForm
{
    QString sessionName;
    QString domain;
    QString localFolder;
    QString password;
    QString share;
    QString pcFolder;
    QString userName;
    QString post;
    QString postFolder;
    QString op;

    bool operator==(const SessionForm&) const = default;
};

enum class SessionField {
    SessionName,
    Share,
    Domain,
    UserName,
    Password,
    LocalFolder,
    PcFolder,
    Post,
    PostFolder,
    Op,
};

// A value that would not read back from the configuration file as typed.
struct FieldProblem
{
    SessionField field;
    QString message;
};

// A new session: domain "WORKGROUP", post and op "None", the rest empty.
SessionForm SessionFormForAdd();

// The values of a parsed session, its name included.
SessionForm SessionFormFrom(const NetSession& session);

// Every value but the session name from a parsed session.
void FillFromSession(SessionForm& form, const NetSession& session);

// "Net," op "," share "," domain "," local folder "," PC folder "," post ","
// post folder "," user name "," password: the values exactly as typed.
QString EncodeSessionLine(const SessionForm& form);

// The post folder is used by Copy and Move only.
bool PostFolderEnabled(const QString& postName);

// The label that names a field in messages ("Share", "Post Folder").
QString FieldName(SessionField field);

// The form with its share as the session line keeps it ("//pc/docs" becomes
// "\\pc\docs"); a share that ParseShareText refuses stays as typed.
SessionForm WithStoredShare(const SessionForm& form);

// The session that the form's values make, under the form's session name.
NetSession NetSessionOf(const SessionForm& form);

// The first value, in the dialog's top-to-bottom order, that the line or the
// configuration file could not give back, or a share that names no share
// (ParseShareText): a "," anywhere but in the password
// would shift the fields after it; a line break would end the file's line;
// the session name is the file's key, so it may also not hold "=" or ";",
// begin with "[" or begin or end with a blank.
// The session name may also not be empty, and a name new to sessionNames (the
// session table's) may not differ from another session's name only in letter
// case. editedName is the name of the session being edited, empty for a new
// one: keeping it, or changing only its letter case, clashes with nothing.
std::optional<FieldProblem> CheckSessionForm(const SessionForm& form,
                                             const QStringList& sessionNames = {},
                                             const QString& editedName = {});

// Whether storing the form under newName gives the edited session a new
// spelling of its name, rather than a second session beside it: newName
// differs from editedName only in letter case and names no session yet.
bool RenamesLetterCase(const QString& editedName, const QString& newName,
                       const QStringList& sessionNames);

} // namespace tarvo
