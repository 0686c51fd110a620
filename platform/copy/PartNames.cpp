#include "platform/copy/PartNames.h"

#include <cerrno>
#include <csignal>
#include <QCryptographicHash>
#include <QDateTime>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSysInfo>
#include <unistd.h>

namespace tarvo::PartNames {

namespace {

constexpr qint64 LeftoverAfterSeconds = 24 * 60 * 60;

// This machine, in eight hex digits: its host name and machine id, so that
// two machines that share a name, or a cloned machine id, differ.
const QString& hostMark()
{
    static const QString mark = [] {
        const QByteArray identity =
            QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId();
        return QString::fromLatin1(
            QCryptographicHash::hash(identity, QCryptographicHash::Sha1).toHex().left(8));
    }();
    return mark;
}

const QRegularExpression& partPattern()
{
    static const QRegularExpression pattern(QStringLiteral(
        "^(?:\\.tarvo-(?<h1>[0-9a-f]{8})-(?<p1>[0-9]+)-(?<c1>[0-9a-f]+)-[0-9a-f]{8}\\.part"
        "|tarvo-(?<h2>[0-9a-f]{8})-(?<p2>[0-9]+)-(?<c2>[0-9a-f]+)-[0-9a-f]{8}\\.tmp)$"));
    return pattern;
}

const QRegularExpression& earlierPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\.tarvo-(?:[0-9a-f]{16}|[A-Za-z0-9]{6})\\.part$"));
    return pattern;
}

const QRegularExpression& notePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\.?tarvo-[0-9a-f]{8}-[0-9]+-[0-9a-f]+-[0-9a-f]{8}\\.note$"));
    return pattern;
}

QString captured(const QRegularExpressionMatch& match, const char* first, const char* second)
{
    const QString value = match.captured(QLatin1String(first));
    return value.isEmpty() ? match.captured(QLatin1String(second)) : value;
}

bool processRuns(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

} // namespace

QString make(Shape shape)
{
    const QString body = QStringLiteral("tarvo-%1-%2-%3-%4")
                             .arg(hostMark())
                             .arg(::getpid())
                             .arg(QDateTime::currentSecsSinceEpoch(), 0, 16)
                             .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
    return shape == Shape::Hidden ? u'.' + body + QStringLiteral(".part")
                                  : body + QStringLiteral(".tmp");
}

bool isPart(const QString& name)
{
    return (name.startsWith(u".tarvo-") || name.startsWith(u"tarvo-")) &&
           (partPattern().match(name).hasMatch() || earlierPattern().match(name).hasMatch());
}

bool isNote(const QString& name)
{
    return name.endsWith(u".note") && notePattern().match(name).hasMatch();
}

QString noteFor(const QString& partName)
{
    return partName.left(partName.lastIndexOf(u'.')) + QStringLiteral(".note");
}

QString partFor(const QString& noteName)
{
    return noteName.chopped(5) +
           (noteName.startsWith(u'.') ? QStringLiteral(".part") : QStringLiteral(".tmp"));
}

bool isResumable(qint64 lastWrite)
{
    return QDateTime::currentSecsSinceEpoch() - lastWrite < ResumableForSeconds;
}

bool isLeftover(const QString& name, qint64 lastWrite)
{
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    if (earlierPattern().match(name).hasMatch())
        return now - lastWrite > LeftoverAfterSeconds;
    const QRegularExpressionMatch match = partPattern().match(name);
    if (!match.hasMatch())
        return false;
    if (captured(match, "h1", "h2") == hostMark())
        return !processRuns(captured(match, "p1", "p2").toLongLong());
    bool ok = false;
    const qint64 created = captured(match, "c1", "c2").toLongLong(&ok, 16);
    return ok && now - created > LeftoverAfterSeconds;
}

} // namespace tarvo::PartNames
