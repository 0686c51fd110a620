#include "platform/SmbCalls.h"

#include <libsmbclient.h>
#include <QMutex>
#include <QMutexLocker>

namespace tarvo::smb {

namespace {

QMutex& libraryLock()
{
    static QMutex mutex;
    return mutex;
}

// Runs one library call under the lock; errno survives the unlock.
template <typename Call> auto locked(Call&& call)
{
    QMutexLocker lock(&libraryLock());
    return call();
}

} // namespace

Context* newContext(void (*configure)(Context*))
{
    return locked([&]() -> Context* {
        SMBCCTX* context = smbc_new_context();
        if (!context)
            return nullptr;
        configure(context);
        if (!smbc_init_context(context)) {
            smbc_free_context(context, 1);
            return nullptr;
        }
        return context;
    });
}

void freeContext(Context* context)
{
    locked([&] { return smbc_free_context(context, 1); });
}

void purgeCachedServers(Context* context)
{
    locked([&] { return smbc_getFunctionPurgeCachedServers(context)(context); });
}

void setUserData(Context* context, void* data)
{
    locked([&] {
        smbc_setOptionUserData(context, data);
        return 0;
    });
}

File* open(Context* context, const char* url, int flags, mode_t mode)
{
    return locked([&] { return smbc_getFunctionOpen(context)(context, url, flags, mode); });
}

ssize_t read(Context* context, File* file, void* buffer, size_t size)
{
    return locked([&] { return smbc_getFunctionRead(context)(context, file, buffer, size); });
}

ssize_t write(Context* context, File* file, const void* data, size_t size)
{
    return locked([&] { return smbc_getFunctionWrite(context)(context, file, data, size); });
}

int close(Context* context, File* file)
{
    return locked([&] { return smbc_getFunctionClose(context)(context, file); });
}

int fstat(Context* context, File* file, struct stat* status)
{
    return locked([&] { return smbc_getFunctionFstat(context)(context, file, status); });
}

int stat(Context* context, const char* url, struct stat* status)
{
    return locked([&] { return smbc_getFunctionStat(context)(context, url, status); });
}

int utimes(Context* context, const char* url, timeval* times)
{
    return locked([&] { return smbc_getFunctionUtimes(context)(context, url, times); });
}

int rename(Context* context, const char* from, const char* to)
{
    return locked([&] { return smbc_getFunctionRename(context)(context, from, context, to); });
}

int unlink(Context* context, const char* url)
{
    return locked([&] { return smbc_getFunctionUnlink(context)(context, url); });
}

File* opendir(Context* context, const char* url)
{
    return locked([&] { return smbc_getFunctionOpendir(context)(context, url); });
}

const libsmb_file_info* readdirplus2(Context* context, File* dir, struct stat* status)
{
    return locked([&] { return smbc_getFunctionReaddirPlus2(context)(context, dir, status); });
}

int closedir(Context* context, File* dir)
{
    return locked([&] { return smbc_getFunctionClosedir(context)(context, dir); });
}

} // namespace tarvo::smb
