#pragma once

namespace tarvo {

// The platform's error codes. Callers test some of them by value (80 for an
// existing target, 1201/2401/2404 for share connections), so every file and
// connection service reports failures with these numbers, locally and on shares.
namespace PlatformError {
constexpr int Success = 0;
constexpr int FileNotFound = 2;
constexpr int PathNotFound = 3;
constexpr int AccessDenied = 5;
constexpr int InvalidHandle = 6;
constexpr int NotEnoughMemory = 8;
constexpr int WriteFault = 29;
constexpr int ReadFault = 30;
constexpr int SharingViolation = 32;
constexpr int HandleDiskFull = 39;
constexpr int NotSupported = 50;
constexpr int BadNetPath = 53; // server unreachable or unknown
constexpr int NetworkBusy = 54;
constexpr int UnexpectedNetError = 59; // connection lost in the middle of an operation
constexpr int BadNetName = 67;         // the share does not exist
constexpr int FileExists = 80;
constexpr int InvalidPassword = 86;
constexpr int InvalidParameter = 87;
constexpr int DiskFull = 112;
constexpr int InvalidName = 123;
constexpr int DirNotEmpty = 145;
constexpr int AlreadyExists = 183;
constexpr int BadDevice = 1200;
constexpr int ConnectionUnavailable = 1201;
constexpr int DeviceAlreadyRemembered = 1202;
constexpr int LogonFailure = 1326;
constexpr int SemTimeout = 121; // the server did not answer in time
constexpr int NotConnected = 2250;
constexpr int OpenFiles = 2401;
constexpr int DeviceInUse = 2404;

// The program's own codes, with the bit that marks a code as an
// application's rather than the system's.
constexpr int SourceChanged = 0x20000001;     // the source changed during its copy
constexpr int ArrivedIncomplete = 0x20000002; // the target holds fewer bytes than were read
constexpr int NoTemporaryName = 0x20000003;   // the folder refuses every temporary name
constexpr int Cancelled = 0x20000004;         // the user stopped the copy
constexpr int UnreadableName = 0x20000005;    // a listing holds a name the client cannot read
constexpr int ServerSmb1Only =
    0x20000006; // the server speaks only SMB1, which the program does not use
} // namespace PlatformError

} // namespace tarvo
