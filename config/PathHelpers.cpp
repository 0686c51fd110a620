#include "config/PathHelpers.h"

#include "config/Session.h"

#include <algorithm>

namespace tarvo {

namespace {

bool endsWithSeparator(const QString& path)
{
    return path.endsWith(u'\\') || path.endsWith(u'/');
}

// A Net session with a name: the only kind whose folders are its own.
bool isNamedNetSession(const Session& session)
{
    return !session.name.isEmpty() && session.isNet();
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
QString sessionFolder(const Session& session, bool source)
{
    QString folder = QString::fromUtf16(DefaultDeviceFolder);
    if (!isNamedNetSession(session) || !session.transfers())
        return AddTrailingSeparator(folder);
    // A line of another kind than Net or Ftp has no fields of its own: the
    // defaults stand for them.
    NetSession net = session.net;
    if (!session.netFields)
        SetNetSessionDefaults(net);
    const bool shareSide = (session.direction == TransferDirection::Get) == source;
    if (!shareSide)
        return AddTrailingSeparator(net.LocalFolder);
    folder = net.shareText();
    if (!net.PcFolder.startsWith(u'\\'))
        folder = source ? AddTrailingSeparator(folder) : folder + u'\\';
    return AddTrailingSeparator(folder + net.PcFolder);
}

} // namespace

QString SessionSourceFolder(const Session& session)
{
    return sessionFolder(session, true);
}

QString SessionTargetFolder(const Session& session)
{
    return sessionFolder(session, false);
}

QString SessionPostFolder(const Session& session)
{
    return AddTrailingSeparator(isNamedNetSession(session) ? session.net.PostFolder : QString());
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
