#pragma once

#include <QString>

namespace tarvo {

struct Session;

// The folder that a session starts from when nothing else applies.
inline constexpr char16_t DefaultDeviceFolder[] = u"\\My Documents";

bool IsSeparator(const QString& text);
QString AddTrailingSeparator(const QString& path);

// The folders of a session, each ending with a separator.
QString SessionSourceFolder(const Session& session);
QString SessionTargetFolder(const Session& session);
QString SessionPostFolder(const Session& session);

struct SplitPathResult
{
    QString folder; // up to and including the last "\"
    QString fileName;
};
SplitPathResult SplitPath(const QString& path);

// A transfer entry is "session,path".
struct SplitEntryResult
{
    QString sessionName;
    QString path;
};
SplitEntryResult SplitEntry(const QString& entry);

} // namespace tarvo
