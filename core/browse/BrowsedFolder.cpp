#include "core/browse/BrowsedFolder.h"

#include "config/NetSession.h"
#include "config/PathHelpers.h"
#include "config/SessionTable.h"

namespace tarvo {

bool StoreBrowsedFolder(SessionTable& sessions, const QString& name, const QString& pathBoxText,
                        const QString& chosen)
{
    // Storing under an empty name would add a session line "=" to the file.
    if (name.isEmpty())
        return false;
    // The Path box shows a folder with its trailing separator, the browser without.
    if (AddTrailingSeparator(chosen).compare(AddTrailingSeparator(pathBoxText),
                                             Qt::CaseInsensitive) == 0)
        return false;
    SetSessionFolder(sessions[name], chosen);
    return true;
}

} // namespace tarvo
