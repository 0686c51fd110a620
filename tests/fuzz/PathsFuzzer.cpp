// Splitting paths and transfer entries loses nothing and never crashes.
#include "config/PathHelpers.h"
#include "core/filelist/FileListTexts.h"

#include <cstdlib>

using namespace tarvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const SplitPathResult path = SplitPath(text);
    if (path.folder + path.fileName != text || path.fileName.contains(u'\\'))
        std::abort();
    const SplitEntryResult entry = SplitEntry(text);
    const QString joined = text.contains(u',') ? entry.sessionName + u',' + entry.path : entry.path;
    if (joined != text || entry.sessionName.contains(u','))
        std::abort();
    const QString withSeparator = AddTrailingSeparator(text);
    if (!withSeparator.endsWith(u'\\') && !withSeparator.endsWith(u'/'))
        std::abort();
    FormatThousands(text);
    return 0;
}
