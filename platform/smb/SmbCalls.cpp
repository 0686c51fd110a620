#include "platform/smb/SmbCalls.h"

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <libsmbclient.h>
#include <mutex>
#include <pthread.h>
#include <QMutex>
#include <QMutexLocker>
#include <utility>

namespace tarvo::smb {

namespace {

// The thread interface of Samba's utility library (libsamba-util). It ships
// without a header, so its one structure is declared here as the library
// defines it; the function that takes it is looked up at run time, so a
// library without it only costs the parallelism.
struct SambaThreadFunctions
{
    int (*createMutex)(const char* name, void** mutex, const char* location);
    void (*destroyMutex)(void* mutex, const char* location);
    int (*lockMutex)(void* mutex, int lockType, const char* location);
    int (*createKey)(const char* name, void** key, const char* location);
    void (*destroyKey)(void** key, const char* location);
    int (*setValue)(void* key, const void* value, const char* location);
    void* (*getValue)(void* key, const char* location);
};

constexpr int SambaUnlock = 2;

const SambaThreadFunctions PosixThreadFunctions = {
    [](const char*, void** mutex, const char*) {
        auto* created = new pthread_mutex_t;
        pthread_mutex_init(created, nullptr);
        *mutex = created;
        return 0;
    },
    [](void* mutex, const char*) {
        pthread_mutex_destroy(static_cast<pthread_mutex_t*>(mutex));
        delete static_cast<pthread_mutex_t*>(mutex);
    },
    [](void* mutex, int lockType, const char*) {
        auto* held = static_cast<pthread_mutex_t*>(mutex);
        return lockType == SambaUnlock ? pthread_mutex_unlock(held) : pthread_mutex_lock(held);
    },
    [](const char*, void** key, const char*) {
        auto* created = new pthread_key_t;
        if (const int error = pthread_key_create(created, nullptr)) {
            delete created;
            return error;
        }
        *key = created;
        return 0;
    },
    [](void** key, const char*) {
        pthread_key_delete(*static_cast<pthread_key_t*>(*key));
        delete static_cast<pthread_key_t*>(*key);
        *key = nullptr;
    },
    [](void* key, const void* value, const char*) {
        return key ? pthread_setspecific(*static_cast<pthread_key_t*>(key), value) : EINVAL;
    },
    // The library asks for a value before it has made the key: none yet.
    [](void* key, const char*) -> void* {
        return key ? pthread_getspecific(*static_cast<pthread_key_t*>(key)) : nullptr;
    },
};

bool installThreadFunctions()
{
    using SetFunctions = int (*)(const SambaThreadFunctions*);
    const auto set =
        reinterpret_cast<SetFunctions>(dlsym(RTLD_DEFAULT, "smb_thread_set_functions"));
    return set && set(&PosixThreadFunctions) == 0;
}

// Installed once, before the library's first call (every use starts with a
// new context), and never taken back.
bool threadFunctionsInstalled()
{
    static const bool installed = [] {
        if (qEnvironmentVariableIsSet("TARVO_SMB_SERIAL"))
            return false; // for comparing the two ways in benchmarks
        return installThreadFunctions();
    }();
    return installed;
}

thread_local bool t_unrepresentableName = false;

// Where the library's log goes instead of standard output, where it would mix
// with the program's own output. The library tells its log level itself.
void libraryLog(void*, int, const char* message)
{
    if (std::strstr(message, "bad finfo->name"))
        t_unrepresentableName = true;
}

// Set before the first context exists: making it loads the library's
// configuration, whose warnings would otherwise reach standard output. The
// log is the library's own, process-wide, and needs no context.
void routeLibraryLog()
{
    static std::once_flag once;
    std::call_once(once, [] { smbc_setLogCallback(nullptr, nullptr, libraryLog); });
}

QMutex& libraryLock()
{
    static QMutex mutex;
    return mutex;
}

// A call that touches the library's globals, always under the lock.
template <typename Call> auto exclusive(Call&& call)
{
    QMutexLocker lock(&libraryLock());
    return call();
}

// A call on one context: under the lock only when the library cannot run
// calls at once. errno survives the unlock.
template <typename Call> auto locked(Call&& call)
{
    if (threadFunctionsInstalled())
        return call();
    QMutexLocker lock(&libraryLock());
    return call();
}

} // namespace

bool threadsEnabled()
{
    return threadFunctionsInstalled();
}

bool takeUnrepresentableNameNote()
{
    return std::exchange(t_unrepresentableName, false);
}

Context* newContext(void (*configure)(Context*))
{
    threadFunctionsInstalled();
    routeLibraryLog();
    return exclusive([&]() -> Context* {
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
    exclusive([&] { return smbc_free_context(context, 1); });
}

void purgeCachedServers(Context* context)
{
    exclusive([&] { return smbc_getFunctionPurgeCachedServers(context)(context); });
}

void setUserData(Context* context, void* data)
{
    locked([&] {
        smbc_setOptionUserData(context, data);
        return 0;
    });
}

int connect(Context* context, const char* shareUrl)
{
    // A look at the share's top folder, not a listing of it: the top folder
    // of a real share may hold thousands of names.
    return exclusive([&] {
        struct stat status;
        return smbc_getFunctionStat(context)(context, shareUrl, &status);
    });
}

File* open(Context* context, const char* url, int flags, mode_t mode)
{
    return locked([&] { return smbc_getFunctionOpen(context)(context, url, flags, mode); });
}

File* openAlone(Context* context, const char* url, int flags, mode_t mode)
{
    return locked([&] {
        // The share mode is the context's: it goes back at once, so that
        // other opens through the context (a source that a program holds
        // open for writing, say) are not refused.
        smbc_setOptionOpenShareMode(context, SMBC_SHAREMODE_DENY_WRITE);
        File* file = smbc_getFunctionOpen(context)(context, url, flags, mode);
        const int error = errno;
        smbc_setOptionOpenShareMode(context, SMBC_SHAREMODE_DENY_NONE);
        errno = error;
        return file;
    });
}

ssize_t read(Context* context, File* file, void* buffer, size_t size)
{
    return locked([&] { return smbc_getFunctionRead(context)(context, file, buffer, size); });
}

ssize_t write(Context* context, File* file, const void* data, size_t size)
{
    return locked([&] { return smbc_getFunctionWrite(context)(context, file, data, size); });
}

off_t lseek(Context* context, File* file, off_t offset, int whence)
{
    return locked([&] { return smbc_getFunctionLseek(context)(context, file, offset, whence); });
}

int ftruncate(Context* context, File* file, off_t size)
{
    return locked([&] { return smbc_getFunctionFtruncate(context)(context, file, size); });
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

int mkdir(Context* context, const char* url, mode_t mode)
{
    return locked([&] { return smbc_getFunctionMkdir(context)(context, url, mode); });
}

int rmdir(Context* context, const char* url)
{
    return locked([&] { return smbc_getFunctionRmdir(context)(context, url); });
}

File* opendir(Context* context, const char* url)
{
    return locked([&] { return smbc_getFunctionOpendir(context)(context, url); });
}

const libsmb_file_info* readdirplus(Context* context, File* dir)
{
    return locked([&] { return smbc_getFunctionReaddirPlus(context)(context, dir); });
}

int closedir(Context* context, File* dir)
{
    return locked([&] { return smbc_getFunctionClosedir(context)(context, dir); });
}

} // namespace tarvo::smb
