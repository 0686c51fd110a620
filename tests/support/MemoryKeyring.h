#pragma once

#include "platform/PasswordKeyring.h"

#include <QStringList>

namespace tarvo::test {

// A keyring in memory that behaves as the Secret Service does for the
// program: items by session, a store that replaces the session's items. It
// can be made unreachable, and it logs every call ("load", "store Office",
// "remove Office").
class MemoryKeyring : public PasswordKeyring
{
public:
    QList<KeyringItem> items;
    QStringList calls;
    KeyringResult::Status status = KeyringResult::Status::Done;

    KeyringResult load(QList<KeyringItem>& loaded) override
    {
        return call("load", [&] { loaded = items; });
    }
    KeyringResult store(const KeyringItem& item) override
    {
        return call("store " + item.session, [&] { drop(item.session), items.append(item); });
    }
    KeyringResult remove(const QString& session) override
    {
        return call("remove " + session, [&] { drop(session); });
    }

    // The password the keyring holds for the session; null when none.
    QString password(const QString& session) const
    {
        for (const KeyringItem& item : items) {
            if (item.session == session)
                return item.password;
        }
        return QString();
    }

private:
    // Logs the call, and makes its change when the keyring can be reached.
    template <typename F> KeyringResult call(const QString& name, F change)
    {
        calls.append(name);
        if (status != KeyringResult::Status::Done)
            return {status, QStringLiteral("the test's keyring is off")};
        change();
        return KeyringResult::ok();
    }
    void drop(const QString& session)
    {
        items.removeIf([&](const KeyringItem& item) { return item.session == session; });
    }
};

} // namespace tarvo::test
