#pragma once

#include "config/Settings.h"
#include "platform/PasswordKeyring.h"

#include <QMap>
#include <QString>

namespace tarvo {

class MessageService;

// Keeps the sessions' passwords in the desktop keyring while the settings ask
// for it (Keyring=Yes). In memory the session lines hold the passwords as
// always; only the file leaves them out, so the rest of the program never
// knows where a password came from.
//
// It remembers what the keyring holds for this file's sessions, so that a
// save stores only what changed and removes only the items of sessions that
// this file had: another configuration file's sessions keep theirs.
class KeyringPasswords
{
public:
    // Without a keyring (null), every call says the keyring is unavailable.
    explicit KeyringPasswords(PasswordKeyring* keyring)
        : m_keyring(keyring)
    {}

    // With the setting on, fills the empty password field of each Net
    // session from the keyring: the item of the session's name whose share
    // and user, where the item has them, are the session's. Does nothing with
    // the setting off. Not done: the sessions keep what the file holds.
    KeyringResult fill(Settings& settings);

    // Before the file is written: with the setting on, stores the password of
    // every Net session that has one and whose item is missing or differs.
    KeyringResult store(const Settings& settings);

    // After the file is written: removes the items of this file's sessions
    // that are gone, were renamed or lost their password, and, with the
    // setting off, every item of this file's sessions (their passwords are in
    // the file now).
    KeyringResult removeStale(const Settings& settings);

private:
    KeyringResult unavailable() const;

    PasswordKeyring* m_keyring;
    QMap<QString, KeyringItem> m_held; // by session name
};

// Writes the settings, keeping the passwords in the keyring when they ask for
// it. When the keyring cannot take them, asks whether to keep them in the
// file instead: OK turns the setting off, Cancel writes nothing. False when
// the file was not written (each reason already told).
bool SaveSettingsAndPasswords(Settings& settings, const QString& path, KeyringPasswords& passwords,
                              MessageService& messages);

// The note for a keyring that could not fill the passwords: what happened and
// what the sessions log on with instead.
QString KeyringFillNote(const KeyringResult& result);

} // namespace tarvo
