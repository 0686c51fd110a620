#pragma once

#include "platform/smb/ShareAddress.h"

#include <mutex>
#include <QByteArray>
#include <QHash>
#include <QList>

namespace tarvo {

// Where the part files of copies into a share folder are written, as the
// folder's first parts teach it.
//
// Beside the target, under the usual hidden name, unless the server refuses
// that name (a share that vetoes dot files or ".part" files): then under the
// plain name, and when the server refuses that too, nowhere (the copy then
// writes a new target under its own name, and never replaces an existing one
// in place).
//
// On a case-insensitive Samba server, making a name that a folder does not
// hold reads the whole folder. A part file beside its target makes two such
// names per copy (the part, and the target on the rename) where a plain copy
// makes one, and in a run of thousands of small files into a big folder
// those reads cost more than the copies. So once the program has put several
// files into one folder, their parts go to a folder of their own inside it,
// which only ever holds the parts in flight.
//
// It lives here, beside the SMB file system, rather than in the core: where
// a part goes is decided request by request as the server answers, and the
// core never sees part files.
//
// The program removes the part folders it used when it signs off from their
// share, whoever made them, once they are empty: of two runs into one
// folder, the one that ends last removes it. A run that finds the folder
// gone makes it again.
class SharePartFolders
{
public:
    static constexpr int BesideForFirstParts = 16;

    enum class Place { PartFolder, Hidden, Plain };

    // The places to try for the next part in `folder`, best first; empty when
    // the folder refuses every temporary name. Counts the part.
    QList<Place> placesFor(const QByteArray& folder);
    // The folder refuses parts at `place` (for the part folder: a file has its
    // name, or the share lets no folder be made there).
    void refused(const QByteArray& folder, Place place);
    // The program wrote a part in the part folder at this address.
    void used(const ShareAddress& partFolder);
    // The part folders used on a share, or on any share when `share` is null;
    // forgotten here, for the caller to remove.
    QList<ShareAddress> takeUsed(const ShareAddress* share = nullptr);

private:
    struct Folder
    {
        int parts = 0;
        bool partFolderRefused = false;
        bool hiddenRefused = false;
        bool plainRefused = false;
    };
    std::mutex m_mutex;
    QHash<QByteArray, Folder> m_folders;
    QList<ShareAddress> m_used;
};

} // namespace tarvo
