#pragma once

#include "platform/smb/SmbCalls.h"

#include <cerrno>
#include <utility>

namespace tarvo::smb {

// An open file or folder together with the context it was opened on, closed
// there when it goes: also when a visitor or a copy throws. Until a folder is
// closed its context keeps the server's session for it, and a purge of the
// context's sessions leaves that session standing.
//
// The close in the destructor leaves errno as it was, so that code that
// returns on a failed call still reads that call's cause after the handle
// has gone.
template <int (*Close)(Context*, File*)> class Handle
{
public:
    Handle() = default;
    Handle(Context* context, File* file)
        : m_context(context)
        , m_file(file)
    {}
    Handle(Handle&& other) noexcept
        : m_context(other.m_context)
        , m_file(std::exchange(other.m_file, nullptr))
    {}
    Handle& operator=(Handle&& other) noexcept
    {
        if (this != &other) {
            closeKeepingErrno();
            m_context = other.m_context;
            m_file = std::exchange(other.m_file, nullptr);
        }
        return *this;
    }
    ~Handle() { closeKeepingErrno(); }

    File* get() const { return m_file; }
    explicit operator bool() const { return m_file != nullptr; }

    // Closes it now: 0, or -1 with errno (a file whose close fails may not
    // hold what was written to it). The handle is empty afterwards either
    // way; closing an empty one does nothing and gives 0.
    int close() { return m_file ? Close(m_context, std::exchange(m_file, nullptr)) : 0; }

private:
    void closeKeepingErrno()
    {
        const int error = errno;
        close();
        errno = error;
    }

    Context* m_context = nullptr;
    File* m_file = nullptr;
};

// A file from open(), closed with close().
using OpenFile = Handle<&smb::close>;
// A folder from opendir(), closed with closedir().
using OpenFolder = Handle<&smb::closedir>;

// open() and opendir(), owned: empty, with errno, when the call failed.
inline OpenFile openFile(Context* context, const char* url, int flags, mode_t mode)
{
    return {context, open(context, url, flags, mode)};
}
inline OpenFile openFileAlone(Context* context, const char* url, int flags, mode_t mode)
{
    return {context, openAlone(context, url, flags, mode)};
}
inline OpenFolder openFolder(Context* context, const char* url)
{
    return {context, opendir(context, url)};
}

} // namespace tarvo::smb
