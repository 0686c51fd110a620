#pragma once

#include <QString>

struct _SMBCCTX;
struct _SMBCFILE;

namespace tarvo::test {

class SambaServer;

// A file on a share held open by another program: a libsmbclient context of
// its own opens it for reading and writing with a share mode, and keeps it
// open until the object goes.
class HeldShareFile
{
public:
    // What the holder lets others do with the file meanwhile.
    enum class Sharing { ReadAndWrite, ReadOnly };

    // The file at `relative` on the server's default share, logged on as its tester.
    HeldShareFile(const SambaServer& server, const QString& relative, Sharing sharing);
    ~HeldShareFile();
    HeldShareFile(const HeldShareFile&) = delete;
    HeldShareFile& operator=(const HeldShareFile&) = delete;

    bool isOpen() const { return m_file != nullptr; }

private:
    _SMBCCTX* m_context = nullptr;
    _SMBCFILE* m_file = nullptr;
    QString m_logon[2]; // user, password: read by the logon callback
};

} // namespace tarvo::test
