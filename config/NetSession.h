#pragma once

#include <QString>
#include <QStringList>

namespace tarvo {

// A session's direction, post-operation and kind, with the codes that the
// handheld's program gave them.
enum class TransferDirection { None = 0, Put = 1, Get = 2 };
enum class PostOperation { None = 0, Copy = 1, Del = 2, Move = 3, Sync = 4 };
enum class SessionType { Ftp = 1, Net = 2 };

// The fields of a "Net" session line:
// Net,direction,\\server\share,domain,local folder,pc folder,post op,post folder,user,password
struct NetSession
{
    QString Name; // the table key; not part of the line
    QString Server;
    QString Share;
    QString Domain;
    QString LocalFolder;
    QString PcFolder;
    QString UserName;
    QString Password;
    PostOperation PostOp = PostOperation::None;
    QString PostFolder;
    TransferDirection Direction = TransferDirection::None;

    // "\\" + Server + "\" + Share
    QString shareText() const;
};

void SetNetSessionDefaults(NetSession& session);

// The text from position up to the next separator; position moves past it.
// With no separator left: an empty text and position -1.
QString NextField(const QString& line, QChar separator, int& position);

SessionType SessionKind(const QString& line);
TransferDirection SessionDirection(const QString& line);

QString DirectionName(TransferDirection direction);
TransferDirection DirectionFromName(const QString& name);
QString PostOpName(PostOperation postOp);
PostOperation PostOpFromName(const QString& name);

// Fills the record from a Net line; any other line leaves it untouched.
// Missing trailing fields read as empty.
void ParseNetSession(const QString& line, NetSession& session);
QString FormatNetSession(const NetSession& session);
// The line of a Net session from its fields as written (the share as
// "\\server\share", the direction and post-operation by name), in the
// line's order.
QString NetSessionLine(const QString& direction, const QString& share, const QString& domain,
                       const QString& localFolder, const QString& pcFolder, const QString& postOp,
                       const QString& postFolder, const QString& userName, const QString& password);

// The line with a Net session's password, when it has one, replaced by
// PasswordMask, for text that a user may show or pass on. Every other line
// comes back as it is.
inline constexpr char16_t PasswordMask[] = u"********";
QString HidePassword(const QString& line);
// The line with a Net session's password field set to the password, every
// other field as it stands; any other line comes back as it is.
QString WithPassword(const QString& line, const QString& password);

// Stores a folder chosen in the main window into the line: the local folder
// of a Put session, or the part below the share of a Get session.
void SetSessionFolder(QString& line, const QString& path);

// The default-session list.
QString FirstDefaultSession(const QStringList& list);
int FindDefaultSession(const QStringList& list, const QString& name); // ignores case
int RemoveDefaultSession(QStringList& list, const QString& name);     // exact
int AddDefaultSession(QStringList& list, const QString& name);        // exact

} // namespace tarvo
