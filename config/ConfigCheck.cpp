#include "config/ConfigCheck.h"

#include "config/NetSession.h"
#include "config/TextFile.h"
#include "platform/DevicePaths.h"

#include <algorithm>
#include <QFile>
#include <QHash>

namespace tarvo {

namespace {

bool isKnownDirection(const QString& name)
{
    return name.isEmpty() || DirectionFromName(name) != TransferDirection::None ||
           name.compare(u"None", Qt::CaseInsensitive) == 0;
}

bool isKnownPostOp(const QString& name)
{
    return name.isEmpty() || PostOpFromName(name) != PostOperation::None ||
           name.compare(u"None", Qt::CaseInsensitive) == 0;
}

// What is wrong with a share field that should read \\server\share, as the
// share connection reads it; empty when nothing is.
QString shareMistake(const QString& share)
{
    const QString quoted = u'"' + share + u'"';
    if (!DevicePaths::isNetworkPath(share) || share.size() == 2 ||
        DevicePaths::isSeparator(share.at(2)))
        return QStringLiteral("%1 names no server; write \\\\server\\share.").arg(quoted);
    QString separated = share.mid(2);
    separated.replace(u'/', u'\\');
    const QStringList parts = separated.split(u'\\', Qt::SkipEmptyParts);
    if (parts.size() < 2)
        return QStringLiteral("%1 names no share; write \\\\server\\share.").arg(quoted);
    const QString& server = parts.first();
    const qsizetype colon = server.lastIndexOf(u':');
    if (colon > 0) {
        bool ok = false;
        const int port = server.mid(colon + 1).toInt(&ok);
        if (!ok || port < 1 || port > 65535)
            return QStringLiteral("the port in \"%1\" is not a number from 1 to 65535.")
                .arg(server);
    }
    return QString();
}

void checkNetLine(const QString& name, const QString& line, QStringList& notes)
{
    // Only "Net" lines, with their fields as ParseNetSession reads them; the
    // password may hold commas, but no field checked here comes after it.
    const QStringList fields = line.split(u',');
    if (fields.first().compare(u"Net", Qt::CaseInsensitive) != 0 || fields.size() < 2)
        return;
    const QString session = QStringLiteral("Session \"%1\": ").arg(name);
    const QString direction = fields.value(1);
    if (!isKnownDirection(direction))
        notes.append(
            session +
            QStringLiteral("unknown direction \"%1\"; it is taken as None.").arg(direction));
    const QString mistake = shareMistake(fields.value(2));
    if (!mistake.isEmpty())
        notes.append(session + mistake);
    const QString postOp = fields.value(6);
    if (!isKnownPostOp(postOp))
        notes.append(
            session +
            QStringLiteral("unknown post-operation \"%1\"; it is taken as None.").arg(postOp));
}

// How often each name is written in [Session], read as loading reads it.
QHash<QString, int> sessionNameCounts(const QByteArray& fileBytes)
{
    QHash<QString, int> counts;
    ConfigFile file(fileBytes);
    if (!file.FindSection(QStringLiteral("Session")))
        return counts;
    QString key;
    QString value;
    while (file.NextKeyValue(key, value))
        ++counts[key];
    return counts;
}

// The Filter's patterns as the main list splits them: ";"-separated pieces,
// trimmed, empty ones dropped.
QStringList filterPatterns(const QString& filter)
{
    QStringList patterns;
    for (QStringView piece : QStringView(filter).split(u';')) {
        piece = piece.trimmed();
        if (!piece.isEmpty())
            patterns.append(piece.toString());
    }
    return patterns;
}

bool matchesEveryName(const QString& pattern)
{
    return std::all_of(pattern.cbegin(), pattern.cend(), [](QChar c) { return c == u'*'; });
}

// Filter keys with which the main list shows no file at all, whatever the
// folder holds: no pattern to match, or every name left out.
void checkFilter(const Settings& settings, QStringList& notes)
{
    const QStringList patterns = filterPatterns(settings.Filter);
    const QString filter = u'"' + settings.Filter + u'"';
    if (!settings.FilterExclude && patterns.isEmpty())
        notes.append(QStringLiteral("Filter %1 names no pattern, so the list shows no file; "
                                    "write Filter=* to list every file.")
                         .arg(filter));
    if (settings.FilterExclude && std::any_of(patterns.cbegin(), patterns.cend(), matchesEveryName))
        notes.append(QStringLiteral("Filter %1 with FilterExclude=Yes leaves out every file, so "
                                    "the list shows no file; write FilterExclude=No, or name in "
                                    "Filter only the files to leave out.")
                         .arg(filter));
}

// Every file written over SMB has the Archive attribute, and the list leaves
// out a file with an attribute whose Show key is not Yes: without
// ShowArchive=Yes a Get session's share lists nothing that was sent to it.
void checkShareAttributes(const Settings& settings, QStringList& notes)
{
    if (settings.ShowAttributes & FileAttribute::Archive)
        return;
    QStringList getSessions;
    for (const QString& name : settings.Sessions.names()) {
        const Session session = settings.Sessions.session(name);
        if (session.isNet() && session.direction == TransferDirection::Get)
            getSessions.append(u'"' + name + u'"');
    }
    if (getSessions.isEmpty())
        return;
    const QString sessions =
        getSessions.size() == 1
            ? QStringLiteral("Get session %1 lists").arg(getSessions.first())
            : QStringLiteral("Get sessions %1 list").arg(getSessions.join(QStringLiteral(", ")));
    notes.append(QStringLiteral("ShowArchive is not Yes, so %1 no file that was written over SMB "
                                "(every such file has the Archive attribute); write "
                                "ShowArchive=Yes.")
                     .arg(sessions));
}

} // namespace

QStringList CheckConfiguration(const Settings& settings, const QByteArray& fileBytes)
{
    QStringList notes;
    const QHash<QString, int> counts = sessionNameCounts(fileBytes);
    for (const QString& name : settings.Sessions.names()) {
        checkNetLine(name, settings.Sessions.line(name), notes);
        const int count = counts.value(name);
        if (count > 1)
            notes.append(QStringLiteral("Session \"%1\" is defined %2; the last line is used.")
                             .arg(name, count == 2 ? QStringLiteral("twice")
                                                   : QStringLiteral("%1 times").arg(count)));
    }
    for (const QString& name : settings.DefaultSession) {
        // "DefaultSession=" reads as one empty name, which stands for none.
        if (!name.isEmpty() && !settings.Sessions.contains(name))
            notes.append(
                QStringLiteral("DefaultSession names \"%1\", which is no session.").arg(name));
    }
    checkFilter(settings, notes);
    checkShareAttributes(settings, notes);
    return notes;
}

QStringList CheckConfigurationFile(const Settings& settings, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return CheckConfiguration(settings, file.readAll());
}

QString ConfigurationNotesMessage(const QString& path, const QStringList& notes)
{
    return QStringLiteral("The configuration file\r\n%1\r\nhas these mistakes:\r\n").arg(path) +
           notes.join(QStringLiteral("\r\n"));
}

} // namespace tarvo
