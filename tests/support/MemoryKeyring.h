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
        calls.append("load");
        if (status != KeyringResult::Status::Done)
            return failure();
        loaded = items;
        return KeyringResult::ok();
    }
    KeyringResult store(const KeyringItem& item) override
    {
        calls.append("store " + item.session);
        if (status != KeyringResult::Status::Done)
            return failure();
        drop(item.session);
        items.append(item);
        return KeyringResult::ok();
    }
    KeyringResult remove(const QString& session) override
    {
        calls.append("remove " + session);
        if (status != KeyringResult::Status::Done)
            return failure();
        drop(session);
        return KeyringResult::ok();
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
    KeyringResult failure() const { return {status, QStringLiteral("the test's keyring is off")}; }
    void drop(const QString& session)
    {
        items.removeIf([&](const KeyringItem& item) { return item.session == session; });
    }
};

} // namespace tarvo::test
