#pragma once

#include "config/Settings.h"
#include "core/filelist/FileRow.h"

#include <functional>
#include <stop_token>

namespace tarvo {

class FileSystem;
class FileTypeIcons;
class MessageService;
class ShareConnections;

// The refresh job's work, without any widget: walks the default sessions of
// a settings snapshot, connects each Get session's share, lists each source
// folder through the filters and hands over the rows of each folder, sorted.
// Runs on any thread; the window and `tarvo list` both use it.
class FileListBuilder
{
public:
    struct Services
    {
        FileSystem& files;
        ShareConnections& connections;
        MessageService& messages;
        FileTypeIcons& icons;
    };

    // Receives the rows of one folder, sorted by name ignoring case.
    using RowsHandler = std::function<void(FileRows&& rows)>;

    FileListBuilder(Settings snapshot, Services services);

    // A copy of the live settings for a job, after the session table's
    // lookup-or-create of every default session name (so an unknown name
    // gains its empty line in the live table, as a lookup always does).
    static Settings TakeSnapshot(Settings& live);

    // Stops the job between entries once a stop is requested.
    void setStopToken(std::stop_token stop) { m_stop = std::move(stop); }

    // Lists every default session in list order; returns the number of rows.
    // The shares of the Get sessions are connected first; those that cannot
    // be are told once per server and cause. A session whose share cannot be
    // connected or whose folder cannot be listed is reported, never shown as
    // empty, and counted in unlisted(). A file whose name cannot be sent is
    // reported with its folder and kept in unsendable().
    int RefreshList(const RowsHandler& handler);
    int unlisted() const { return m_unlisted; }
    // The files that passed the filters but whose names cannot name them
    // again (see DirEntry::NameUnusable), each as the row it would have had.
    const FileRows& unsendable() const { return m_unsendable; }

    // Lists one folder: the number of rows added to rows, sorted by
    // FileRowLess, or -1 (and no rows, and the platform's code in `error`)
    // when the folder cannot be listed. Files whose names cannot be sent
    // are added to `unusable`, when given, instead.
    int FillFromFolder(const QString& sessionName, const QString& folder, FileRows& rows,
                       int* error = nullptr, FileRows* unusable = nullptr);

    const Settings& settings() const { return m_settings; }

private:
    bool cancelled() const { return m_stop.stop_requested(); }

    Settings m_settings;
    Services m_services;
    std::stop_token m_stop;
    int m_unlisted = 0;
    FileRows m_unsendable;
};

// Forms the row of one entry listed from folder (which ends with "\").
FileRow InsertFileItem(const DirEntry& entry, const QString& folder, const QString& sessionName,
                       int iconIndex, const QString& dateText);

// Every row of a refresh in list order, for `tarvo list`: a refresh run to the
// end. With `unlisted`, the number of sessions that could not be listed; with
// `unsendable`, the files whose names cannot be sent.
FileRows BuildFileList(const Settings& snapshot, FileListBuilder::Services services,
                       int* unlisted = nullptr, FileRows* unsendable = nullptr);

} // namespace tarvo
