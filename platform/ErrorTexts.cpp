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
    case InvalidHandle:
        return QStringLiteral("The file was closed while it was in use.");
    case SharingViolation:
        return QStringLiteral("The file is in use by another program.");
    case HandleDiskFull:
    case DiskFull:
        return QStringLiteral("There is not enough space left on the disk.");
    case NotSupported:
        return QStringLiteral("The server does not support that operation.");
    case InvalidName:
        return QStringLiteral("The name is refused there: servers refuse names that hold any of "
                              "\\ / : * ? \" < > |, and every side refuses a name longer than 255 "
                              "characters or a step out of the folder (\"..\").");
    case InvalidParameter:
        return QStringLiteral("The server refused the request as invalid.");
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
    case BadDevice:
        return QStringLiteral("The connection name is not valid.");
    case DeviceAlreadyRemembered:
        return QStringLiteral("A connection of that name already exists.");
    case OpenFiles:
    case DeviceInUse:
        return QStringLiteral("The connection is in use.");
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
    case ServerSmb1Only:
        return QStringLiteral("The server speaks only SMB1, an old version of the file sharing "
                              "protocol that Tarvo does not use. The server's administrator can "
                              "enable SMB2 or later.");
    case Cancelled:
        return QStringLiteral("The transfer was cancelled.");
    case DirNotEmpty:
        return QStringLiteral("The folder is not empty.");
    default:
        // A code that no service of the program gives; never a bare number.
        return QStringLiteral("The system refused the operation for a reason it did not name.");
    }
}

QString WithReason(const QString& message, int platformError)
{
    const QString reason = ErrorReason(platformError);
    return reason.isEmpty() ? message : message + QStringLiteral("\r\n") + reason;
}

} // namespace tarvo
