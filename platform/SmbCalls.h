#pragma once

#include <sys/stat.h>
#include <sys/time.h>
#include <sys/types.h>

struct _SMBCCTX;
struct _SMBCFILE;
struct libsmb_file_info;

namespace tarvo::smb {

// Every call into libsmbclient goes through here, under one process-wide
// lock: this build of the library has no thread support to switch on
// (smbc_thread_posix is not exported), and its internals keep global state.
// A call holds the lock only while it runs, so a long copy lets a listing
// in between its blocks.
using Context = _SMBCCTX;
using File = _SMBCFILE;

Context* newContext(void (*configure)(Context*));
void freeContext(Context* context);
void purgeCachedServers(Context* context);
void setUserData(Context* context, void* data);

File* open(Context* context, const char* url, int flags, mode_t mode);
ssize_t read(Context* context, File* file, void* buffer, size_t size);
ssize_t write(Context* context, File* file, const void* data, size_t size);
int close(Context* context, File* file);
int fstat(Context* context, File* file, struct stat* status);
int stat(Context* context, const char* url, struct stat* status);
int utimes(Context* context, const char* url, timeval* times);
int rename(Context* context, const char* from, const char* to);
int unlink(Context* context, const char* url);
File* opendir(Context* context, const char* url);
const libsmb_file_info* readdirplus2(Context* context, File* dir, struct stat* status);
int closedir(Context* context, File* dir);

} // namespace tarvo::smb
