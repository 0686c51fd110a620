// Any bytes load without a crash, and what a save writes loads back to the
// same settings.
#include "config/ConfigStore.h"

#include <cstdlib>

using namespace tarvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    Settings first;
    LoadSettingsFromBytes(first, bytes);
    const QByteArray saved = SettingsFileBytes(first);
    Settings second;
    LoadSettingsFromBytes(second, saved);
    if (!(second == first) || SettingsFileBytes(second) != saved)
        std::abort();
    return 0;
}
