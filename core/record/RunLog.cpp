#include "core/record/RunLog.h"

#include "core/record/RunRecord.h"
#include "platform/FileLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tarvo {

namespace {

constexpr QFile::Permissions OwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                         QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
constexpr QFile::Permissions OwnerReadWrite =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
// Long enough for another program's write on a slow disk, short enough not
// to hold up a run for a log.
constexpr int LockWaitMs = 5000;

} // namespace

RunLog::RunLog(QString folder, qint64 limit)
    : m_folder(std::move(folder))
    , m_limit(limit)
{}

QString RunLog::filePath() const
{
    return m_folder + QStringLiteral("/runs.log");
}

QString RunLog::append(const QStringList& lines) const
{
    if (lines.isEmpty())
        return {};
    if (QString error = prepareFolder(); !error.isEmpty())
        return error;
    // Held from the look at the size to the end of the write: no other
    // writer turns the log over in between or writes into the same place.
    const FileLock lock(filePath() + QStringLiteral(".lock"), LockWaitMs);
    if (!lock.locked())
        return lock.error();

    QByteArray bytes = (lines.join(u'\n') + u'\n').toUtf8();
    QString rotateError;
    qint64 size = QFileInfo(filePath()).size();
    if (size > 0 && size + bytes.size() > m_limit) {
        rotateError = rotate();
        size = QFileInfo(filePath()).size();
    }
    if (size == 0)
        bytes.prepend((RunRecordLine::header() + u'\n').toUtf8());

    QFile file(filePath());
    if (!file.open(QIODevice::Append | QIODevice::Unbuffered, OwnerReadWrite))
        return QStringLiteral("%1: %2").arg(file.fileName(), file.errorString());
    // A short write says why only when the rest is tried again.
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 now = file.write(bytes.constData() + written, bytes.size() - written);
        if (now <= 0)
            break;
        written += now;
    }
    if (written != bytes.size()) {
        const QString error = QStringLiteral("%1: %2").arg(file.fileName(), file.errorString());
        file.resize(size); // no half line stays behind
        return error;
    }
    return rotateError;
}

// Makes the folder and those above it that are missing, for the owner only
// as the folders of the user's state are. The log's own folder is narrowed
// to its owner when something else made it wider (the window's state is
// kept there too).
QString RunLog::prepareFolder() const
{
    QStringList missing;
    for (QString folder = QDir::cleanPath(m_folder); !QFileInfo::exists(folder);
         folder = QFileInfo(folder).path())
        missing.prepend(folder);
    for (const QString& folder : std::as_const(missing)) {
        if (!QDir().mkdir(folder, OwnerOnly) && !QFileInfo(folder).isDir())
            return QStringLiteral("the folder %1 could not be made").arg(folder);
    }
    if ((QFileInfo(m_folder).permissions() & ~OwnerOnly).toInt() != 0)
        QFile::setPermissions(m_folder, OwnerOnly);
    return {};
}

// runs.log becomes runs.log.1, .1 becomes .2, and so on; the oldest goes.
QString RunLog::rotate() const
{
    const auto old = [this](int number) { return filePath() + u'.' + QString::number(number); };
    QFile::remove(old(OldFiles));
    for (int number = OldFiles - 1; number >= 1; --number)
        QFile::rename(old(number), old(number + 1));
    QFile current(filePath());
    if (!current.rename(old(1)))
        return QStringLiteral("%1 could not be renamed: %2").arg(filePath(), current.errorString());
    return {};
}

} // namespace tarvo
