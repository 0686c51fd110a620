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
    if (name.isEmpty() || SessionKind(line) != KindNet)
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

QString SessionSourceFolder(const QString& name, const QString& line)
{
    QString folder = QString::fromUtf16(DefaultDeviceFolder);
    NetSession session;
    SetNetSessionDefaults(session);
    if (parseNamedNetSession(name, line, session)) {
        switch (SessionDirection(line)) {
        case DirectionPut:
            folder = session.LocalFolder;
            break;
        case DirectionGet:
            folder = session.shareText();
            if (!session.PcFolder.startsWith(u'\\'))
                folder = AddTrailingSeparator(folder);
            folder += session.PcFolder;
            break;
        default:
            break;
        }
    }
    return AddTrailingSeparator(folder);
}

QString SessionTargetFolder(const QString& name, const QString& line)
{
    QString folder = QString::fromUtf16(DefaultDeviceFolder);
    NetSession session;
    SetNetSessionDefaults(session);
    if (parseNamedNetSession(name, line, session)) {
        switch (SessionDirection(line)) {
        case DirectionPut:
            folder = session.shareText();
            if (!session.PcFolder.startsWith(u'\\'))
                folder += u'\\';
            folder += session.PcFolder;
            break;
        case DirectionGet:
            folder = session.LocalFolder;
            break;
        default:
            break;
        }
    }
    return AddTrailingSeparator(folder);
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
