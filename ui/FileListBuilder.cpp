#include "ui/FileListBuilder.h"

#include "config/NetSession.h"
#include "config/PathHelpers.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/MessageService.h"
#include "transfer/ShareConnector.h"
#include "ui/FileFilter.h"
#include "ui/FileListTexts.h"
#include "ui/FileTypeIcons.h"

#include <algorithm>

namespace tarvo {

FileListBuilder::FileListBuilder(Settings snapshot, Services services)
    : m_settings(std::move(snapshot))
    , m_services(services)
{}

Settings FileListBuilder::TakeSnapshot(Settings& live)
{
    for (const QString& name : std::as_const(live.DefaultSession))
        live.Sessions[name];
    return live;
}

int FileListBuilder::RefreshList(const RowsHandler& handler)
{
    int total = 0;
    for (const QString& name : std::as_const(m_settings.DefaultSession)) {
        if (cancelled())
            break;
        const QString line = m_settings.Sessions.value(name);
        const int direction = SessionDirection(line);
        if (direction != DirectionPut && direction != DirectionGet)
            continue;
        if (direction == DirectionGet &&
            ConnectSessionShare(name, line, m_services.connections, m_services.messages) != 0)
            continue;

        FileRows rows;
        if (FillFromFolder(name, SessionSourceFolder(name, line), rows) <= 0)
            continue;
        // Sorting here keeps that work off the window's thread.
        std::stable_sort(rows.begin(), rows.end(), FileRowLess);
        total += int(rows.size());
        handler(std::move(rows));
    }
    return total;
}

int FileListBuilder::FillFromFolder(const QString& sessionName, const QString& folderText,
                                    FileRows& rows)
{
    WaitCursor wait(m_services.messages);
    const QString folder = AddTrailingSeparator(folderText);
    FileDateFormatter dates;
    QString lastExtension;
    int lastIcon = -1;
    int added = 0;

    const int result = m_services.files.listFolder(folder, [&](const DirEntry& entry) {
        if (cancelled())
            return false;
        // A name that is no single entry of the folder never becomes a row,
        // so no transfer can be led out of the session's folders by it.
        if (!IsPlainFileName(entry.Name) || !PassesFilter(entry, m_settings))
            return true;
        int icon = FileTypeIcons::FolderIndex;
        if (!entry.Info.isDirectory()) {
            const QString extension = FileTypeIcons::extensionOf(entry.Name);
            if (lastIcon < 0 || extension != lastExtension) {
                lastExtension = extension;
                lastIcon = m_services.icons.FileIconIndex(folder + entry.Name);
            }
            icon = lastIcon;
        }
        rows.append(InsertFileItem(entry, folder, sessionName, icon,
                                   dates.dateText(entry.Info.LastWriteTime)));
        ++added;
        return true;
    });
    return result == 0 ? added : -1;
}

FileRow InsertFileItem(const DirEntry& entry, const QString& folder, const QString& sessionName,
                       int iconIndex, const QString& dateText)
{
    return FileRow{entry.Name, dateText,    FileSizeText(entry.Info.Size),
                   folder,     sessionName, iconIndex};
}

FileRows BuildFileList(const Settings& snapshot, FileListBuilder::Services services)
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
    return all;
}

} // namespace tarvo
