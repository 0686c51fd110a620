// Preloaded (LD_PRELOAD) into the program by tests that need it to stop at a
// known point of a copy, to signal or kill it there: once the reads and
// writes of regular files below the folder TARVO_TEST_STOP_IN have moved
// TARVO_TEST_STOP_AFTER_BYTES bytes, the process stops itself (SIGSTOP),
// once, inside the call that reached the count. The files below that folder
// are the device's: the source that a Put reads, the part that a Get writes.
// The program's configuration and its output are elsewhere and never count.
//
// Built without sanitizers: under AddressSanitizer it stands in front of the
// sanitizer's own read and write, which it calls in turn.
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Limit
{
    unsigned long long bytes = 0;
    char folder[PATH_MAX] = {};
    size_t folderLength = 0;
};

// Read once, when the library is loaded; an incomplete setting stops nothing.
const Limit& limit()
{
    static const Limit loaded = [] {
        Limit read;
        const char* bytes = std::getenv("TARVO_TEST_STOP_AFTER_BYTES");
        const char* folder = std::getenv("TARVO_TEST_STOP_IN");
        if (bytes && folder && ::realpath(folder, read.folder)) {
            read.bytes = std::strtoull(bytes, nullptr, 10);
            read.folderLength = std::strlen(read.folder);
        }
        return read;
    }();
    return loaded;
}

std::atomic<unsigned long long> s_moved{0};
std::atomic<bool> s_stopped{false};

// Whether the descriptor is a regular file below the folder.
bool counts(int fd)
{
    const Limit& stop = limit();
    if (stop.folderLength == 0 || s_stopped.load())
        return false;
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char path[PATH_MAX];
    const ssize_t length = ::readlink(link, path, sizeof path);
    return length > ssize_t(stop.folderLength) &&
           std::memcmp(path, stop.folder, stop.folderLength) == 0 && path[stop.folderLength] == '/';
}

// Counts what a call moved, and stops the process once the count is reached.
ssize_t moved(int fd, ssize_t result)
{
    const int error = errno;
    if (result > 0 && counts(fd) &&
        s_moved.fetch_add(size_t(result)) + size_t(result) >= limit().bytes &&
        !s_stopped.exchange(true))
        std::raise(SIGSTOP);
    errno = error;
    return result;
}

} // namespace

// Stands in front of the function of that name: the real one, looked up on
// first use (a static atomic needs no guard that a call during the look-up
// could meet), and then the count of what it moved.
#define TARVO_COUNTED(name, Parameters, ...)                                                       \
    ssize_t name Parameters                                                                        \
    {                                                                                              \
        static std::atomic<ssize_t(*) Parameters> real;                                            \
        if (!real.load())                                                                          \
            real.store(reinterpret_cast<ssize_t(*) Parameters>(::dlsym(RTLD_NEXT, #name)));        \
        return moved(fd, real.load()(fd, __VA_ARGS__));                                            \
    }

extern "C" {
TARVO_COUNTED(read, (int fd, void* buffer, size_t size), buffer, size)
TARVO_COUNTED(write, (int fd, const void* data, size_t size), data, size)
TARVO_COUNTED(pread, (int fd, void* buffer, size_t size, off_t at), buffer, size, at)
TARVO_COUNTED(pread64, (int fd, void* buffer, size_t size, off64_t at), buffer, size, at)
TARVO_COUNTED(pwrite, (int fd, const void* data, size_t size, off_t at), data, size, at)
TARVO_COUNTED(pwrite64, (int fd, const void* data, size_t size, off64_t at), data, size, at)
} // extern "C"
