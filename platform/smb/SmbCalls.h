#pragma once

#include <sys/stat.h>
#include <sys/time.h>
#include <sys/types.h>

struct _SMBCCTX;
struct _SMBCFILE;
struct libsmb_file_info;

namespace tarvo::smb {

// Every call into libsmbclient goes through here. The library keeps per-thread
// scratch state in its utility library, which runs calls on different contexts
// at once only after it has been given thread functions; those are installed
// before the first context exists (see threadsEnabled()). Then a call on one
// context runs beside calls on others, and only what touches the library's
// globals (creating, freeing and purging contexts, logging on) takes the one
// process-wide lock. Without thread functions every call takes that lock,
// holding it only while it runs, so a long copy lets a listing in between its
// blocks.
using Context = _SMBCCTX;
using File = _SMBCFILE;

// True when calls on different contexts may run at once.
bool threadsEnabled();

// Whether the library has said, on this thread since the last ask, that a
// server sent a name it cannot represent (it then fails the whole listing).
// The library's log goes nowhere else: never to the terminal.
bool takeUnrepresentableNameNote();

Context* newContext(void (*configure)(Context*));
void freeContext(Context* context);
void purgeCachedServers(Context* context);
void setUserData(Context* context, void* data);

// Logs the context on to the share of the URL (or finds it logged on) under
// the process-wide lock: connecting touches the library's globals (name
// resolution, the security mechanisms) even where plain calls do not.
// 0, or -1 with errno.
int connect(Context* context, const char* shareUrl);

File* open(Context* context, const char* url, int flags, mode_t mode);
// As open(), but while the file stays open no other handle may write,
// rename or delete it (others may still read it).
File* openAlone(Context* context, const char* url, int flags, mode_t mode);
ssize_t read(Context* context, File* file, void* buffer, size_t size);
ssize_t write(Context* context, File* file, const void* data, size_t size);
off_t lseek(Context* context, File* file, off_t offset, int whence);
int ftruncate(Context* context, File* file, off_t size);
int close(Context* context, File* file);
int fstat(Context* context, File* file, struct stat* status);
int stat(Context* context, const char* url, struct stat* status);
int utimes(Context* context, const char* url, timeval* times);
int rename(Context* context, const char* from, const char* to);
int unlink(Context* context, const char* url);
int mkdir(Context* context, const char* url, mode_t mode);
int rmdir(Context* context, const char* url);
File* opendir(Context* context, const char* url);
// The next entry of an open folder, or null at its end. Not readdirplus2:
// that one fills a stat of every entry, asking the system for the user and
// the library's configuration each time, and costs as much as the listing.
const libsmb_file_info* readdirplus(Context* context, File* dir);
int closedir(Context* context, File* dir);

} // namespace tarvo::smb
