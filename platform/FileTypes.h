#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

namespace tarvo {

// A point in time as the file systems report it: 100-ns intervals since
// 1 January 1601, UTC.
using FileTime = quint64;

// File attribute bits, with the values that the configuration file's Show keys use.
namespace FileAttribute {
constexpr quint32 ReadOnly = 0x01;
constexpr quint32 Hidden = 0x02;
constexpr quint32 System = 0x04;
constexpr quint32 Directory = 0x10;
constexpr quint32 Archive = 0x20;
constexpr quint32 InRom = 0x40;
constexpr quint32 Normal = 0x80;
// A link, a pipe, a socket or a device rather than a plain file (a share's
// reparse point): listed and sent like a file where it can be read, never
// pruned as one.
constexpr quint32 NotPlain = 0x400;
} // namespace FileAttribute

struct FileInfo
{
    quint32 Attributes = 0;
    FileTime CreationTime = 0;
    FileTime LastAccessTime = 0;
    FileTime LastWriteTime = 0;
    quint64 Size = 0;
    // Which file this is, where the side tells it (locally the device and
    // inode, on a share the server's file id), and when its content or
    // attributes last changed (locally the inode's change time, on a share
    // the change time the server reports); 0 where unknown. A file saved
    // again with its old size and last-write time, or replaced by another
    // one, still differs here.
    quint64 Device = 0;
    quint64 FileId = 0;
    FileTime ChangeTime = 0;

    bool isDirectory() const { return Attributes & FileAttribute::Directory; }
    quint32 sizeLow() const { return quint32(Size & 0xFFFFFFFFu); }
    quint32 sizeHigh() const { return quint32(Size >> 32); }
};

// Whether two looks at a file saw the same version of it: the same size and
// last-write time, and the same identity and change time where both looks
// know them (a last-write time can be set back, and two files can share it
// to the microsecond). A copy holds its source to this from the first byte
// read to the last, and a delete or move of a sent file acts only while it
// holds.
inline bool SameVersion(const FileInfo& a, const FileInfo& b)
{
    const auto agree = [](quint64 x, quint64 y) { return x == 0 || y == 0 || x == y; };
    return a.Size == b.Size && a.LastWriteTime == b.LastWriteTime && agree(a.FileId, b.FileId) &&
           (a.FileId == 0 || b.FileId == 0 || a.Device == b.Device) &&
           agree(a.ChangeTime, b.ChangeTime);
}

// One entry of a folder listing; never "." or "..".
struct DirEntry
{
    QString Name;
    FileInfo Info;
    // The name cannot name the entry again from the program's paths (it is
    // not valid text in the system's encoding, or holds a "\"). Name then
    // shows it for a message, odd bytes as "\xNN", and always holds a "\",
    // so no check of plain names lets it into a path.
    bool NameUnusable = false;
};

using DirEntryList = QList<DirEntry>;

} // namespace tarvo
