#include "config/KeyringPasswords.h"

#include "config/ConfigStore.h"
#include "config/NetSession.h"
#include "platform/MessageService.h"

namespace tarvo {

namespace {

// 2: the item names the session's share and user; 1: it names neither or
// only matching ones (an item a script made); 0: it belongs elsewhere.
int matchOf(const KeyringItem& item, const NetSession& session)
{
    const auto agrees = [](const QString& named, const QString& actual) {
        return named.isEmpty() || named.compare(actual, Qt::CaseInsensitive) == 0;
    };
    if (!agrees(item.share, session.shareText()) || !agrees(item.user, session.UserName))
        return 0;
    return !item.share.isEmpty() && !item.user.isEmpty() ? 2 : 1;
}

const KeyringItem* bestItem(const QList<KeyringItem>& items, const NetSession& session)
{
    const KeyringItem* best = nullptr;
    int bestMatch = 0;
    for (const KeyringItem& item : items) {
        if (item.session != session.Name)
            continue;
        const int match = matchOf(item, session);
        if (match > bestMatch) {
            best = &item;
            bestMatch = match;
        }
    }
    return best;
}

// The Net sessions whose fields the program knows, each with its name.
template <typename Action> void forEachNetSession(const Settings& settings, Action action)
{
    for (const QString& name : settings.Sessions.names()) {
        const Session* session = settings.Sessions.find(name);
        if (session && session->netFields) {
            NetSession net = session->net;
            net.Name = name;
            action(name, net);
        }
    }
}

} // namespace

KeyringResult KeyringPasswords::unavailable() const
{
    return {KeyringResult::Status::Unavailable,
            QStringLiteral("no desktop keyring (Secret Service) is running")};
}

KeyringResult KeyringPasswords::fill(Settings& settings)
{
    if (!settings.Keyring)
        return KeyringResult::ok();
    if (!m_keyring)
        return unavailable();
    QList<KeyringItem> items;
    const KeyringResult result = m_keyring->load(items);
    QHash<QString, QString> found;
    forEachNetSession(settings, [&](const QString& name, const NetSession& session) {
        const KeyringItem* item = bestItem(items, session);
        if (!item)
            return;
        m_held.insert(name, *item);
        if (session.Password.isEmpty())
            found.insert(name, item->password);
    });
    for (auto it = found.cbegin(); it != found.cend(); ++it)
        settings.Sessions.insert(it.key(),
                                 WithPassword(settings.Sessions.line(it.key()), it.value()));
    return result;
}

KeyringResult KeyringPasswords::store(const Settings& settings)
{
    if (!settings.Keyring)
        return KeyringResult::ok();
    KeyringResult result;
    forEachNetSession(settings, [&](const QString& name, const NetSession& session) {
        if (!result.done() || session.Password.isEmpty())
            return;
        const KeyringItem wanted{name, session.shareText(), session.UserName, session.Password};
        const auto held = m_held.constFind(name);
        if (held != m_held.cend() && *held == wanted)
            return;
        result = m_keyring ? m_keyring->store(wanted) : unavailable();
        if (result.done())
            m_held.insert(name, wanted);
    });
    return result;
}

KeyringResult KeyringPasswords::removeStale(const Settings& settings)
{
    const QStringList heldNames = m_held.keys();
    for (const QString& name : heldNames) {
        const Session* session = settings.Sessions.find(name);
        const bool stillHeld =
            settings.Keyring && session && session->netFields && !session->net.Password.isEmpty();
        if (stillHeld)
            continue;
        const KeyringResult result = m_keyring ? m_keyring->remove(name) : unavailable();
        if (!result.done())
            return result;
        m_held.remove(name);
    }
    return KeyringResult::ok();
}

bool SaveSettingsAndPasswords(Settings& settings, const QString& path, KeyringPasswords& passwords,
                              MessageService& messages)
{
    // Each step leaves every password somewhere: the keyring takes them before
    // the file drops them, and gives them up only after the file has them.
    if (settings.Keyring) {
        const KeyringResult stored = passwords.store(settings);
        if (!stored.done()) {
            const QString question =
                QStringLiteral("The passwords cannot be kept in the desktop keyring: %1.\r\n"
                               "Keep them in the configuration file instead?\r\n"
                               "OK keeps them in the file; Cancel writes nothing.")
                    .arg(stored.reason);
            if (messages.showMessage(question, MessageIcon::Question, MessageButtons::OkCancel) ==
                MessageResult::Cancel)
                return false;
            settings.Keyring = false;
        }
    }
    if (!SaveSettings(settings, path, messages))
        return false;
    const KeyringResult removed = passwords.removeStale(settings);
    if (!removed.done())
        messages.showMessage(QStringLiteral("The passwords of removed or renamed sessions could "
                                            "not be removed from the desktop keyring: %1.")
                                 .arg(removed.reason),
                             MessageIcon::Information, MessageButtons::Ok);
    return true;
}

QString KeyringFillNote(const KeyringResult& result)
{
    QString what;
    switch (result.status) {
    case KeyringResult::Status::Done:
        return QString();
    case KeyringResult::Status::Unavailable:
        what = QStringLiteral("The desktop keyring cannot be reached");
        break;
    case KeyringResult::Status::Locked:
        what = QStringLiteral("The desktop keyring stays locked");
        break;
    case KeyringResult::Status::Failed:
        what = QStringLiteral("The passwords could not be read from the desktop keyring");
        break;
    }
    return what + QStringLiteral(": %1.\r\nSessions without a password in the configuration "
                                 "file log on without one.")
                      .arg(result.reason);
}

} // namespace tarvo
