#include "config/PathHelpers.h"

#include "config/NetSession.h"

#include <algorithm>

namespace tarvo {

namespace {

bool endsWithSeparator(const QString& path)
{
    return path.endsWith(u'\\') || path.endsWith(u'/');
}

// The record of a Net session line, or nothing for an empty name or another kind.
bool parseNamedNetSession(const QString& name, const QString& line, NetSession& session)
{
    if (name.isEmpty() || SessionKind(line) != SessionType::Net)
        return false;
    ParseNetSession(line, session);
    return true;
}

} // namespace

bool IsSeparator(const QString& text)
{
    return text == u"/" || text == u"\\";
}

QString AddTrailingSeparator(const QString& path)
{
    return endsWithSeparator(path) ? path : path + u'\\';
}

namespace {

// The folder a session lists (source) or transfers into (target): its local
// folder on one side, the share's folder on the other, "\My Documents" for
// a session without a direction. The share's folder is the share text, a
// separator unless PcFolder starts with one, and PcFolder: where the share
// text ends in a separator (an empty share name), the source folder adds
// none, the target folder adds one all the same.
QString sessionFolder(const QString& name, const QString& line, bool source)
{
    QString folder = QString::fromUtf16(DefaultDeviceFolder);
    NetSession session;
    SetNetSessionDefaults(session);
    if (!parseNamedNetSession(name, line, session))
        return AddTrailingSeparator(folder);
    const TransferDirection direction = SessionDirection(line);
    if (direction != TransferDirection::Put && direction != TransferDirection::Get)
        return AddTrailingSeparator(folder);
    const bool shareSide = (direction == TransferDirection::Get) == source;
    if (!shareSide)
        return AddTrailingSeparator(session.LocalFolder);
    folder = session.shareText();
    if (!session.PcFolder.startsWith(u'\\'))
        folder = source ? AddTrailingSeparator(folder) : folder + u'\\';
    return AddTrailingSeparator(folder + session.PcFolder);
}

} // namespace

QString SessionSourceFolder(const QString& name, const QString& line)
{
    return sessionFolder(name, line, true);
}

QString SessionTargetFolder(const QString& name, const QString& line)
{
    return sessionFolder(name, line, false);
}

QString SessionPostFolder(const QString& name, const QString& line)
{
    NetSession session;
    QString folder;
    if (parseNamedNetSession(name, line, session))
        folder = session.PostFolder;
    return AddTrailingSeparator(folder);
}

SplitPathResult SplitPath(const QString& path)
{
    const qsizetype last = path.lastIndexOf(u'\\');
    if (last < 0)
        return {QString(), path};
    return {path.left(last + 1), path.mid(last + 1)};
}

SplitEntryResult SplitEntry(const QString& entry)
{
    const qsizetype comma = entry.indexOf(u',');
    if (comma < 0)
        return {QString(), entry};
    return {entry.left(comma), entry.mid(comma + 1)};
}

} // namespace tarvo
