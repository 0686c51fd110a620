#include "config/SessionFolder.h"

#include "config/NetSession.h"
#include "config/PathHelpers.h"
#include "platform/DevicePaths.h"

namespace tarvo {

namespace {

// The folder with "\" between its parts and no separator at its end; the
// device's root "\" stays as it is.
QString cleanFolder(const QString& text)
{
    QString folder = text.trimmed();
    folder.replace(u'/', u'\\');
    while (folder.size() > 1 && folder.endsWith(u'\\'))
        folder.chop(1);
    return folder;
}

bool sameFolder(const QString& a, const QString& b)
{
    return AddTrailingSeparator(a).compare(AddTrailingSeparator(b), Qt::CaseInsensitive) == 0;
}

SessionFolderChange refused(const QString& message)
{
    return {SessionFolderChange::Refused, QString(), message};
}

} // namespace

SessionFolderChange ChangeSessionFolder(const QString& name, const QString& line,
                                        const QString& folder)
{
    if (name.isEmpty())
        return {SessionFolderChange::NoSession, QString(), QString()};
    const QString current = SessionSourceFolder(name, line);
    QString chosen = cleanFolder(folder);
    if (chosen.isEmpty() || sameFolder(chosen, current))
        return {};

    const TransferDirection direction = SessionDirection(line);
    if (SessionKind(line) != SessionType::Net ||
        (direction != TransferDirection::Put && direction != TransferDirection::Get))
        return refused(
            QStringLiteral("The folder of the session \"%1\" cannot be changed.").arg(name));
    if (direction == TransferDirection::Put) {
        if (DevicePaths::isNetworkPath(chosen))
            return refused(QStringLiteral("%1\r\nis a network path; the session \"%2\" sends "
                                          "the files of a folder of this device.")
                               .arg(chosen, name));
        if (!chosen.startsWith(u'\\'))
            chosen.prepend(u'\\');
    } else {
        NetSession session;
        ParseNetSession(line, session);
        const QString share = session.shareText();
        const bool onShare = chosen.startsWith(share, Qt::CaseInsensitive) &&
                             (chosen.size() == share.size() || chosen.at(share.size()) == u'\\');
        if (!onShare)
            return refused(QStringLiteral("%1\r\nis not on the share %2 of the session \"%3\".")
                               .arg(chosen, share, name));
        chosen = share + chosen.mid(share.size());
    }

    QString changed = line;
    SetSessionFolder(changed, chosen);
    if (sameFolder(SessionSourceFolder(name, changed), current))
        return {};
    return {SessionFolderChange::Changed, changed, QString()};
}

} // namespace tarvo
