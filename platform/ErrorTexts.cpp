#include "platform/ErrorTexts.h"

#include "platform/ErrorCodes.h"

namespace tarvo {

QString ErrorReason(int platformError)
{
    using namespace PlatformError;
    switch (platformError) {
    case Success:
        return {};
    case FileNotFound:
        return QStringLiteral("The file does not exist (any more).");
    case PathNotFound:
        return QStringLiteral("The folder does not exist.");
    case AccessDenied:
        return QStringLiteral("Access is denied.");
    case SharingViolation:
        return QStringLiteral("The file is in use.");
    case HandleDiskFull:
    case DiskFull:
        return QStringLiteral("There is not enough space left on the disk.");
    case InvalidName:
        return QStringLiteral("The name is refused there.");
    case FileExists:
    case AlreadyExists:
        return QStringLiteral("A file of that name already exists.");
    case BadNetPath:
        return QStringLiteral("The server cannot be reached.");
    case SemTimeout:
        return QStringLiteral("The server did not answer in time.");
    case UnexpectedNetError:
    case NotConnected:
    case ConnectionUnavailable:
        return QStringLiteral("The connection to the server was lost.");
    case NetworkBusy:
        return QStringLiteral("The server is busy.");
    case BadNetName:
        return QStringLiteral("The share does not exist on the server.");
    case LogonFailure:
    case InvalidPassword:
        return QStringLiteral("Wrong user name or password.");
    case NotEnoughMemory:
        return QStringLiteral("There is not enough memory.");
    case ReadFault:
        return QStringLiteral("The file could not be read.");
    case WriteFault:
        return QStringLiteral("The file could not be written.");
    case SourceChanged:
        return QStringLiteral("The file changed while it was being copied.");
    case ArrivedIncomplete:
        return QStringLiteral("The copy arrived incomplete.");
    case NoTemporaryName:
        return QStringLiteral("The server refuses temporary files in that folder, so the "
                              "existing file was not replaced.");
    case UnreadableName:
        return QStringLiteral("The folder holds a name that cannot be read over the network "
                              "(one with a backslash, for example), so it cannot be listed.");
    case Cancelled:
        return QStringLiteral("The transfer was cancelled.");
    case DirNotEmpty:
        return QStringLiteral("The folder is not empty.");
    default:
        return QStringLiteral("The file could not be written (error %1).").arg(platformError);
    }
}

QString WithReason(const QString& message, int platformError)
{
    const QString reason = ErrorReason(platformError);
    return reason.isEmpty() ? message : message + QStringLiteral("\r\n") + reason;
}

} // namespace tarvo
