#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <QByteArray>
#include <QDeadlineTimer>
#include <QHash>
#include <QSet>
#include <QString>

namespace tarvo {

// Which names a share folder held when it was last listed, so that a copy
// into it need not ask the server whether its target's name is taken. On a
// case-insensitive Samba server, asking about a name that is not there reads
// the whole folder; in a run of thousands of small files those questions
// cost more than the copies themselves.
//
// It lives here, beside the SMB file system, rather than in the core: it
// decides which requests a copy into a share sends, which only the file
// system sees; the core never asks about target names.
//
// A folder is listed only once it has been asked about several times (a run
// of copies, not a single one), and its listing is trusted for a short while:
// the longer of `minimumTrust` and ten times what the listing took. Names
// that the program puts there itself are added to it. A name that someone
// else makes in the folder during that while is not seen.
class ShareFolderNames
{
public:
    // The folder's names folded to one case, or nothing when it cannot be listed.
    using Lister = std::function<std::optional<QSet<QString>>()>;

    static constexpr int ListAfterQuestions = 16;

    explicit ShareFolderNames(std::chrono::milliseconds minimumTrust = std::chrono::seconds(2));

    // True only when a listing still trusted says the folder has no such name.
    bool isKnownAbsent(const QByteArray& folder, const QString& name, const Lister& list);
    // The program has put a file of this name into the folder.
    void added(const QByteArray& folder, const QString& name);

private:
    struct Folder
    {
        QSet<QString> names;
        QDeadlineTimer trustedUntil;
        bool listed = false;
        bool listing = false; // another thread lists it now
        int questions = 0;
    };
    void dropExpired();

    const std::chrono::milliseconds m_minimumTrust;
    std::mutex m_mutex;
    QHash<QByteArray, Folder> m_folders;
};

} // namespace tarvo
