#pragma once

#include "platform/copy/FileStore.h"
#include "platform/smb/SmbHandles.h"
#include "platform/smb/SmbOperation.h"

namespace tarvo {

// An open file on a share that a copy reads from.
class SmbSource : public SourceFile
{
public:
    // `writersDenied`: the handle lets no one else write the file through the server.
    SmbSource(std::unique_ptr<SmbOperation> operation, smb::OpenFile file, const FileInfo& info,
              bool writersDenied);

    const FileInfo& info() const override { return m_info; }
    int currentInfo(FileInfo& info) override;
    qint64 read(char* buffer, qint64 size) override;
    int seek(quint64 offset) override;
    std::vector<std::unique_ptr<BlockReader>> parallelReaders(int count) override;
    std::vector<std::unique_ptr<BlockReader>> moreReaders(int count) override;

private:
    std::unique_ptr<SmbOperation> m_operation;
    smb::OpenFile m_file; // closed before the operation gives its context back
    FileInfo m_info;
    bool m_writersDenied;
    int m_reads = 0;
    bool m_readElsewhere = false; // from another offset or through other readers
};

// Where the note beside a part is, and what part of a cut copy the part goes on with.
struct SmbPartNote
{
    QByteArray noteUrl;   // empty: the part has no note
    QByteArray folderUrl; // the target's folder
    ResumeNote about;
    std::optional<PartLeft> left;
};

// The file on a share that a copy writes: a part file that becomes the target
// by a rename, or, in a folder that refuses every temporary name, the new
// target itself, removed again unless the copy commits.
class SmbPart : public PartFile
{
public:
    enum class Kind { Part, NewTarget };

    using Noted = SmbPartNote;

    // `alone`: the file was opened so that no other handle may write it, and
    // the copy writes it through write() only.
    SmbPart(std::unique_ptr<SmbOperation> operation, smb::OpenFile file, QByteArray url, Kind kind,
            bool alone, Noted noted = {});
    ~SmbPart() override;

    std::optional<PartLeft> resumed() const override { return m_noted.left; }
    qint64 readAt(quint64 offset, char* buffer, qint64 size) override;
    void keep(quint64 whole) override;
    int goOnAt(quint64 offset) override;

    int write(const char* data, qint64 size) override;
    std::vector<std::unique_ptr<BlockWriter>> parallelWriters(int count) override;
    std::vector<std::unique_ptr<BlockWriter>> moreWriters(int count) override;
    int storedSize(quint64& size) override;
    int commit(const FileInfo& source, bool failIfExists, bool& replaced) override;

private:
    // Puts the part in the place of the target that holds its name, which
    // this user may write.
    int replaceTarget(const FileInfo& source);
    // Writes the part's bytes into the target, for a target that may be
    // written but not renamed (another program holds it open).
    int writeInPlace(const FileInfo& source);

    std::unique_ptr<SmbOperation> m_operation;
    smb::OpenFile m_file; // empty once committed
    QByteArray m_url;
    Kind m_kind;
    bool m_alone;
    Noted m_noted;
    quint64 m_written = 0; // as the server acknowledged, through write(), with what it resumed
    bool m_committed = false;
    bool m_keep = false;
    std::optional<quint64> m_whole; // as the copy that kept it knew
};

} // namespace tarvo
