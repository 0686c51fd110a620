#include "config/SessionFolder.h"

#include "config/PathHelpers.h"
#include "config/Session.h"
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

SessionFolderChange ChangeSessionFolder(const Session& session, const QString& folder)
{
    const QString& name = session.name;
    if (name.isEmpty())
        return {SessionFolderChange::NoSession, QString(), QString()};
    const QString current = SessionSourceFolder(session);
    QString chosen = cleanFolder(folder);
    if (chosen.isEmpty() || sameFolder(chosen, current))
        return {};

    if (!session.transfers())
        return refused(
            QStringLiteral("The folder of the session \"%1\" cannot be changed.").arg(name));
    if (session.direction == TransferDirection::Put) {
        if (DevicePaths::isNetworkPath(chosen))
            return refused(QStringLiteral("%1\r\nis a network path; the session \"%2\" sends "
                                          "the files of a folder of this device.")
                               .arg(chosen, name));
        if (!chosen.startsWith(u'\\'))
            chosen.prepend(u'\\');
    } else {
        const QString share = session.net.shareText();
        const bool onShare = chosen.startsWith(share, Qt::CaseInsensitive) &&
                             (chosen.size() == share.size() || chosen.at(share.size()) == u'\\');
        if (!onShare)
            return refused(QStringLiteral("%1\r\nis not on the share %2 of the session \"%3\".")
                               .arg(chosen, share, name));
        chosen = share + chosen.mid(share.size());
    }

    QString changed = session.line;
    SetSessionFolder(changed, chosen);
    if (sameFolder(SessionSourceFolder(Session::FromLine(name, changed)), current))
        return {};
    return {SessionFolderChange::Changed, changed, QString()};
}

} // namespace tarvo
