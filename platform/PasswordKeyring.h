#pragma once

#include <memory>
#include <QList>
#include <QString>

namespace tarvo {

// One password in the desktop's keyring, with the attributes it is found by.
// Items that a script or an administrator made may lack the share or the
// user (empty here).
struct KeyringItem
{
    QString session;
    QString share; // "\\server\share"
    QString user;
    QString password;

    bool operator==(const KeyringItem&) const = default;
};

// How a call to the keyring went. Only Done means the keyring did what was
// asked; the text says why not, in words a user can act on.
struct KeyringResult
{
    enum class Status { Done, Unavailable, Locked, Failed };
    Status status = Status::Done;
    QString reason;

    bool done() const { return status == Status::Done; }
    static KeyringResult ok() { return {}; }
};

// The desktop's store of secrets, which its session unlocks at login
// (GNOME Keyring, KWallet). The program's items carry the attribute
// application = "tarvo" besides those of KeyringItem.
class PasswordKeyring
{
public:
    virtual ~PasswordKeyring() = default;

    // Every item of the program. A locked keyring is unlocked through the
    // keyring's own prompt; the program never asks for its password.
    virtual KeyringResult load(QList<KeyringItem>& items) = 0;
    // Stores the item in place of every item of the same session.
    virtual KeyringResult store(const KeyringItem& item) = 0;
    // Removes every item of the session.
    virtual KeyringResult remove(const QString& session) = 0;

    // The freedesktop Secret Service on the session bus that the environment
    // names (DBUS_SESSION_BUS_ADDRESS), reached at the first call.
    static std::unique_ptr<PasswordKeyring> createForSession();
};

} // namespace tarvo
