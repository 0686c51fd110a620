#include "core/filelist/FileListBuilder.h"

#include "config/NetSession.h"
#include "config/PathHelpers.h"
#include "core/filelist/FileFilter.h"
#include "core/filelist/FileListTexts.h"
#include "core/filelist/FileTypeIcons.h"
#include "core/filelist/NameOrder.h"
#include "core/shares/ShareConnector.h"
#include "core/shares/ShareFailures.h"
#include "platform/ErrorTexts.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/MessageService.h"

#include <algorithm>
#include <QSet>
#include <vector>

namespace tarvo {

namespace {

// The icon index of each listed entry. Files of one extension usually come
// in runs, so the shared table is asked only when the extension changes.
class IconLookup
{
public:
    explicit IconLookup(FileTypeIcons& icons)
        : m_icons(icons)
    {}

    int indexFor(const DirEntry& entry)
    {
        if (entry.Info.isDirectory())
            return FileTypeIcons::FolderIndex;
        // Compared as written: the table folds the case when asked.
        const qsizetype dot = entry.Name.lastIndexOf(u'.');
        const QStringView extension = dot < 0 ? QStringView() : QStringView(entry.Name).sliced(dot);
        if (m_lastIndex < 0 || extension != m_lastExtension) {
            m_lastExtension = extension.toString();
            m_lastIndex = m_icons.FileIconIndex(entry.Name);
        }
        return m_lastIndex;
    }

private:
    FileTypeIcons& m_icons;
    QString m_lastExtension;
    int m_lastIndex = -1;
};

struct ListedEntry
{
    DirEntry entry;
    int icon;
};

} // namespace

FileListBuilder::FileListBuilder(Settings snapshot, Services services)
    : m_settings(std::move(snapshot))
    , m_services(services)
{}

Settings FileListBuilder::TakeSnapshot(Settings& live)
{
    for (const QString& name : std::as_const(live.DefaultSession))
        live.Sessions.addIfMissing(name);
    return live;
}

namespace {

// What the user is told of the files of one folder whose names cannot be sent.
QString UnsendableText(const FileRows& files)
{
    constexpr qsizetype Shown = 10;
    const FileRow& first = files.first();
    QString text =
        files.size() == 1
            ? QStringLiteral("A file in %1 of session %2 cannot be sent: its name is not valid "
                             "text (UTF-8) or holds a backslash, which no path to a share can "
                             "carry. Rename it to send it.")
                  .arg(first.path, first.session)
            : QStringLiteral("%1 files in %2 of session %3 cannot be sent: their names are not "
                             "valid text (UTF-8) or hold a backslash, which no path to a share "
                             "can carry. Rename them to send them.")
                  .arg(QString::number(files.size()), first.path, first.session);
    for (qsizetype i = 0; i < files.size() && i < Shown; ++i)
        text += QStringLiteral("\r\n") + files.at(i).name;
    if (files.size() > Shown)
        text += QStringLiteral("\r\n... and %1 more").arg(files.size() - Shown);
    return text;
}

} // namespace

int FileListBuilder::RefreshList(const RowsHandler& handler)
{
    // The shares of the Get sessions first: a server that cannot be reached
    // is then told once, naming every session on it. An Ftp session has no
    // share: it lists the default folder, never connects.
    QSet<QString> unconnected;
    {
        ShareFailures failures;
        for (const QString& name : std::as_const(m_settings.DefaultSession)) {
            const Session session = m_settings.Sessions.session(name);
            if (cancelled() || session.direction != TransferDirection::Get || !session.isNet() ||
                unconnected.contains(name))
                continue;
            WaitCursor wait(m_services.messages);
            if (ConnectSessionShare(session, m_services.connections, failures) != 0)
                unconnected.insert(name);
        }
        m_unlisted += failures.count();
        failures.report(m_services.messages);
    }

    int total = 0;
    for (const QString& name : std::as_const(m_settings.DefaultSession)) {
        if (cancelled())
            break;
        const Session session = m_settings.Sessions.session(name);
        if (session.direction != TransferDirection::Put &&
            session.direction != TransferDirection::Get)
            continue;
        if (unconnected.contains(name))
            continue;

        FileRows rows;
        FileRows unusable;
        const QString folder = SessionSourceFolder(session);
        int error = 0;
        const int count = FillFromFolder(name, folder, rows, &error, &unusable);
        if (!unusable.isEmpty()) {
            m_services.messages.showMessage(UnsendableText(unusable), MessageIcon::Error,
                                            MessageButtons::Ok);
            m_unsendable.append(unusable);
        }
        // An Ftp session lists the default folder, which the user never
        // chose: its absence is no fault of theirs.
        if (count < 0 && !cancelled() && session.isNet()) {
            ++m_unlisted;
            m_services.messages.showMessage(
                WithReason(
                    QStringLiteral("Failed to list folder %1 of session %2").arg(folder, name),
                    error),
                MessageIcon::Error, MessageButtons::Ok);
        }
        if (count <= 0)
            continue;
        total += int(rows.size());
        handler(std::move(rows));
    }
    return total;
}

int FileListBuilder::FillFromFolder(const QString& sessionName, const QString& folderText,
                                    FileRows& rows, int* error, FileRows* unusable)
{
    WaitCursor wait(m_services.messages);
    const QString folder = AddTrailingSeparator(folderText);
    // The entries wait as listed; once the folder is read they become rows in
    // list order, each formed straight into its place (sorting here also
    // keeps that work off the window's thread).
    std::vector<ListedEntry> listed;
    NameOrder order;
    const EntryFilter filter(m_settings);
    IconLookup icons(m_services.icons);

    FileRows unusableHere;
    const int result = m_services.files.listFolder(folder, [&](const DirEntry& entry) {
        if (cancelled())
            return false;
        if (entry.NameUnusable) {
            if (!entry.Info.isDirectory() && filter.passes(entry))
                unusableHere.append(InsertFileItem(entry, folder, sessionName, 0, QString()));
            return true;
        }
        // A name that is no single entry of the folder never becomes a row,
        // so no transfer can be led out of the session's folders by it.
        if (!IsPlainFileName(entry.Name) || !filter.passes(entry))
            return true;
        listed.push_back({entry, icons.indexFor(entry)});
        order.add(entry.Name);
        return true;
    });
    if (result != 0) {
        if (error)
            *error = result;
        return -1;
    }
    if (unusable)
        unusable->append(unusableHere);

    FileDateFormatter dates;
    rows.reserve(rows.size() + qsizetype(listed.size()));
    for (const quint32 index : order.sortedIndices()) {
        const ListedEntry& item = listed[index];
        rows.append(InsertFileItem(item.entry, folder, sessionName, item.icon,
                                   dates.dateText(item.entry.Info.LastWriteTime)));
    }
    return int(listed.size());
}

FileRow InsertFileItem(const DirEntry& entry, const QString& folder, const QString& sessionName,
                       int iconIndex, const QString& dateText)
{
    return FileRow{entry.Name, dateText,        FileSizeText(entry.Info.Size), folder, sessionName,
                   iconIndex,  entry.Info.Size, entry.Info.LastWriteTime};
}

FileRows BuildFileList(const Settings& snapshot, FileListBuilder::Services services, int* unlisted,
                       FileRows* unsendable)
{
    FileListBuilder builder(snapshot, services);
    FileRows all;
    builder.RefreshList([&all](FileRows&& rows) {
        // Each folder's rows come sorted; merging keeps rows of equal names
        // in session order, as the window's list shows them.
        const qsizetype middle = all.size();
        all.append(std::move(rows));
        std::inplace_merge(all.begin(), all.begin() + middle, all.end(), FileRowLess);
    });
    if (unlisted)
        *unlisted = builder.unlisted();
    if (unsendable)
        *unsendable = builder.unsendable();
    return all;
}

} // namespace tarvo
