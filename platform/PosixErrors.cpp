#include "platform/PosixErrors.h"

#include "platform/ErrorCodes.h"

#include <cerrno>

namespace tarvo {

int platformErrorFromErrno(int error)
{
    using namespace PlatformError;
    switch (error) {
    case 0:
        return Success;
    case ENOENT:
        return FileNotFound;
    case ENOTDIR:
        return PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: // opening or deleting a folder as a file
        return AccessDenied;
    case EBADF:
        return InvalidHandle;
    case ENOMEM:
        return NotEnoughMemory;
    case EBUSY:
    case ETXTBSY:
        return SharingViolation;
    case ENOTSUP:
        return NotSupported;
    case EEXIST:
        return FileExists;
    case EINVAL:
        return InvalidParameter;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return DiskFull;
    case ENAMETOOLONG:
    case EILSEQ:
        return InvalidName;
    case ENOTEMPTY:
        return DirNotEmpty;
    case ECONNREFUSED:
    case EHOSTUNREACH:
    case ENETUNREACH:
    case EHOSTDOWN:
        return BadNetPath;
    case ETIMEDOUT:
        return SemTimeout;
    case ECONNRESET:
    case ECONNABORTED:
    case EPIPE:
    case ENOTCONN:
        return UnexpectedNetError;
    case EAGAIN:
        return NetworkBusy;
    default:
        return WriteFault; // an input/output failure of some other kind
    }
}

} // namespace tarvo
