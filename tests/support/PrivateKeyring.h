#pragma once

#include "tests/support/TempFiles.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tarvo::test {

// A desktop keyring of the test's own: a private session bus and GNOME
// Keyring's Secret Service on it, with a login keyring unlocked by a
// throwaway password, in a temporary home. start() points this process at it
// (the variables of environment()), so the program's keyring code and the
// programs the test starts use it in place of the user's.
class PrivateKeyring
{
public:
    // True when dbus-daemon, gnome-keyring-daemon and secret-tool are installed.
    static bool isInstalled();

    PrivateKeyring() = default;
    ~PrivateKeyring() { stop(); }
    PrivateKeyring(const PrivateKeyring&) = delete;
    PrivateKeyring& operator=(const PrivateKeyring&) = delete;

    // False with the reason in error() when the bus or the keyring does not start.
    bool start();
    void stop();
    const QString& error() const { return m_error; }

    // HOME, XDG_RUNTIME_DIR, XDG_DATA_HOME and DBUS_SESSION_BUS_ADDRESS, as
    // "NAME=value", for programs that the test starts.
    QStringList environment() const;

    // Locks the login keyring, as a screen lock or a timeout does; unlock()
    // opens it again with its password, as the login does.
    bool lock();
    bool unlock();

    // `secret-tool ARGUMENTS` with `input` on its standard input, as an
    // administrator's script runs it; its standard output, or null when it failed.
    QByteArray secretTool(const QStringList& arguments, const QByteArray& input = {}) const;

private:
    bool waitForSecretService() const;

    TempFolder m_folder;
    qint64 m_busPid = -1;
    QString m_address;
    QString m_error;
    QByteArray m_password = "throwaway login password";
};

} // namespace tarvo::test
