#include "config/ConfigCheck.h"

#include "config/NetSession.h"
#include "config/TextFile.h"
#include "platform/DevicePaths.h"

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
