#pragma once

namespace tarvo {

// The PlatformError code for an errno value, so local files and shares fail
// with the same numbers (ENOENT 2, EACCES 5, EEXIST 80, ENOSPC 112, ...).
int platformErrorFromErrno(int error);

} // namespace tarvo
