#include "platform/PlatformType.h"

namespace tarvo {

int GetPlatformType()
{
    return 3;
}

} // namespace tarvo
