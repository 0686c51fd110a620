#include "config/NetSession.h"

namespace tarvo {

namespace {

constexpr QChar FieldSeparator = u',';

bool sameText(const QString& a, const char16_t* b)
{
    return a.compare(QStringView(b), Qt::CaseInsensitive) == 0;
}

// Reads the fields of a line one after the other. Once the line has no
// separator left, the rest of the line is the last field and every field
// after it is empty, so a short line never shifts its fields.
class FieldReader
{
public:
    explicit FieldReader(const QString& line)
        : m_line(line)
    {}

    QString next()
    {
        if (m_position < 0)
            return QString();
        const int start = m_position;
        QString field = NextField(m_line, FieldSeparator, m_position);
        if (m_position < 0)
            field = m_line.mid(start);
        return field;
    }

    QString rest() const { return m_position < 0 ? QString() : m_line.mid(m_position); }

private:
    const QString& m_line;
    int m_position = 0;
};

} // namespace

QString NetSession::shareText() const
{
    return QStringLiteral("\\\\") + Server + u'\\' + Share;
}

void SetNetSessionDefaults(NetSession& session)
{
    session.Name.clear();
    session.Server.clear();
    session.Share.clear();
    session.Domain = QStringLiteral("WORKGROUP");
    session.LocalFolder = QStringLiteral("\\My Documents");
    session.PcFolder = QStringLiteral("\\");
    session.UserName = QStringLiteral("Administrator");
    session.Password.clear();
    session.PostOp = PostOperation::None;
    session.PostFolder.clear();
    session.Direction = TransferDirection::None;
}

QString NextField(const QString& line, QChar separator, int& position)
{
    const qsizetype found = position < 0 ? -1 : line.indexOf(separator, position);
    if (found < 0) {
        position = -1;
        return QString();
    }
    const QString field = line.mid(position, found - position);
    position = int(found + 1);
    return field;
}

SessionType SessionKind(const QString& line)
{
    const QString kind = line.section(FieldSeparator, 0, 0);
    if (sameText(kind, u"Net"))
        return SessionType::Net;
    if (sameText(kind, u"Ftp") && line.contains(FieldSeparator))
        return SessionType::Ftp;
    return SessionType::Net;
}

TransferDirection SessionDirection(const QString& line)
{
    int position = 0;
    NextField(line, FieldSeparator, position);
    if (position < 0)
        return TransferDirection::None;
    return DirectionFromName(NextField(line, FieldSeparator, position));
}

QString DirectionName(TransferDirection direction)
{
    switch (direction) {
    case TransferDirection::Put:
        return QStringLiteral("Put");
    case TransferDirection::Get:
        return QStringLiteral("Get");
    default:
        return QStringLiteral("None");
    }
}

TransferDirection DirectionFromName(const QString& name)
{
    if (sameText(name, u"Put"))
        return TransferDirection::Put;
    if (sameText(name, u"Get"))
        return TransferDirection::Get;
    return TransferDirection::None;
}

QString PostOpName(PostOperation postOp)
{
    switch (postOp) {
    case PostOperation::Copy:
        return QStringLiteral("Copy");
    case PostOperation::Del:
        return QStringLiteral("Del");
    case PostOperation::Move:
        return QStringLiteral("Move");
    case PostOperation::Sync:
        return QStringLiteral("Sync");
    default:
        return QStringLiteral("None");
    }
}

PostOperation PostOpFromName(const QString& name)
{
    if (sameText(name, u"Copy"))
        return PostOperation::Copy;
    if (sameText(name, u"Del") || sameText(name, u"Delete"))
        return PostOperation::Del;
    if (sameText(name, u"Move"))
        return PostOperation::Move;
    if (sameText(name, u"Sync"))
        return PostOperation::Sync;
    return PostOperation::None;
}

void ParseNetSession(const QString& line, NetSession& session)
{
    int position = 0;
    const QString kind = NextField(line, FieldSeparator, position);
    if (position < 0 || !sameText(kind, u"Net"))
        return;

    FieldReader fields(line);
    fields.next(); // the kind
    session.Direction = DirectionFromName(fields.next());

    // "\\server\share": the first two characters are skipped unread, the split
    // is at the last backslash.
    const QString sharePath = fields.next();
    const qsizetype lastBackslash = sharePath.lastIndexOf(u'\\');
    if (lastBackslash < 0) {
        session.Server.clear();
        session.Share = sharePath;
    } else {
        session.Server = lastBackslash > 2 ? sharePath.mid(2, lastBackslash - 2) : QString();
        session.Share = sharePath.mid(lastBackslash + 1);
    }

    session.Domain = fields.next();
    session.LocalFolder = fields.next();
    session.PcFolder = fields.next();
    session.PostOp = PostOpFromName(fields.next());
    session.PostFolder = fields.next();
    session.UserName = fields.next();
    session.Password = fields.rest();
}

QString FormatNetSession(const NetSession& session)
{
    return NetSessionLine(DirectionName(session.Direction), session.shareText(), session.Domain,
                          session.LocalFolder, session.PcFolder, PostOpName(session.PostOp),
                          session.PostFolder, session.UserName, session.Password);
}

QString NetSessionLine(const QString& direction, const QString& share, const QString& domain,
                       const QString& localFolder, const QString& pcFolder, const QString& postOp,
                       const QString& postFolder, const QString& userName, const QString& password)
{
    return QStringList{QStringLiteral("Net"),
                       direction,
                       share,
                       domain,
                       localFolder,
                       pcFolder,
                       postOp,
                       postFolder,
                       userName,
                       password}
        .join(FieldSeparator);
}

QString HidePassword(const QString& line)
{
    int position = 0;
    if (!sameText(NextField(line, FieldSeparator, position), u"Net"))
        return line;
    // The password is everything after the ninth separator.
    for (int field = 2; field <= 9 && position >= 0; ++field)
        NextField(line, FieldSeparator, position);
    if (position < 0 || position >= line.size())
        return line;
    return line.left(position) + QString::fromUtf16(PasswordMask);
}

QString WithPassword(const QString& line, const QString& password)
{
    int position = 0;
    if (!sameText(NextField(line, FieldSeparator, position), u"Net"))
        return line;
    int fields = 1;
    while (fields < 9 && position >= 0) {
        NextField(line, FieldSeparator, position);
        ++fields;
    }
    if (position >= 0)
        return line.left(position) + password;
    if (password.isEmpty())
        return line; // no password field, and none to add
    // A short line gains the fields up to the password's.
    const qsizetype separators = line.count(FieldSeparator);
    return line + QString(9 - separators, FieldSeparator) + password;
}

void SetSessionFolder(QString& line, const QString& path)
{
    if (SessionKind(line) != SessionType::Net)
        return;
    NetSession session;
    ParseNetSession(line, session);
    const TransferDirection direction = SessionDirection(line);
    if (direction == TransferDirection::Get) {
        const QString share = session.shareText();
        const qsizetype at = path.indexOf(share);
        if (at < 0)
            return; // a folder outside the session's share is not this session's folder
        session.PcFolder = path.mid(at + share.size());
    } else if (direction == TransferDirection::Put) {
        session.LocalFolder = path;
    }
    line = FormatNetSession(session);
}

QString FirstDefaultSession(const QStringList& list)
{
    return list.isEmpty() ? QString() : list.first();
}

int FindDefaultSession(const QStringList& list, const QString& name)
{
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

int RemoveDefaultSession(QStringList& list, const QString& name)
{
    const qsizetype index = list.indexOf(name);
    if (index < 0)
        return -1;
    list.removeAt(index);
    return int(index);
}

int AddDefaultSession(QStringList& list, const QString& name)
{
    const qsizetype index = list.indexOf(name);
    if (index >= 0)
        return int(index);
    list.append(name);
    return int(list.size() - 1);
}

} // namespace tarvo
