#include "platform/FileNames.h"

#include <algorithm>

namespace tarvo {

bool IsPlainFileName(const QString& name)
{
    if (name.isEmpty() || name.size() > MaxFileNameLength || name == u"." || name == u"..")
        return false;
    return std::none_of(name.cbegin(), name.cend(),
                        [](QChar c) { return c == u'\\' || c == u'/' || c.unicode() < 0x20; });
}

} // namespace tarvo
