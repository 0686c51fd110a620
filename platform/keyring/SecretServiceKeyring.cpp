// GLib's headers name struct fields "signals": this file is built without
// Qt's keywords and without the precompiled Qt headers.
#include "platform/keyring/SecretServiceKeyring.h"

#include <libsecret/secret.h>
#include <memory>

namespace tarvo {

namespace {

// Items are matched by their attributes only (DONT_MATCH_NAME), so items
// stored under another schema name, or none, are found too.
const SecretSchema* passwordSchema()
{
    static const SecretSchema schema = {"org.quenda.Tarvo.Password",
                                        SECRET_SCHEMA_DONT_MATCH_NAME,
                                        {{"application", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                         {"session", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                         {"share", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                         {"user", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                         {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
                                        0,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr};
    return &schema;
}

constexpr const char* Application = "tarvo";

struct ErrorHolder
{
    GError* error = nullptr;
    ~ErrorHolder() { g_clear_error(&error); }
    QString text() const
    {
        return error ? QString::fromUtf8(error->message) : QStringLiteral("unknown error");
    }
};

struct HashUnref
{
    void operator()(GHashTable* table) const { g_hash_table_unref(table); }
};
using Attributes = std::unique_ptr<GHashTable, HashUnref>;

Attributes newAttributes()
{
    return Attributes(g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free));
}

void put(GHashTable* table, const char* key, const QString& value)
{
    g_hash_table_insert(table, g_strdup(key), g_strdup(value.toUtf8().constData()));
}

Attributes sessionAttributes(const QString& session)
{
    Attributes attributes = newAttributes();
    put(attributes.get(), "application", QString::fromLatin1(Application));
    put(attributes.get(), "session", session);
    return attributes;
}

QString attribute(GHashTable* attributes, const char* key)
{
    const auto* value = static_cast<const char*>(g_hash_table_lookup(attributes, key));
    return value ? QString::fromUtf8(value) : QString();
}

// The session's Secret Service; null with the reason when there is none.
SecretService* openService(KeyringResult& result)
{
    ErrorHolder error;
    SecretService* service =
        secret_service_get_sync(SECRET_SERVICE_OPEN_SESSION, nullptr, &error.error);
    if (!service)
        result = {KeyringResult::Status::Unavailable, error.text()};
    return service;
}

KeyringResult failure(const ErrorHolder& error)
{
    if (error.error && g_error_matches(error.error, SECRET_ERROR, SECRET_ERROR_IS_LOCKED))
        return {KeyringResult::Status::Locked, error.text()};
    if (error.error && error.error->domain == G_DBUS_ERROR)
        return {KeyringResult::Status::Unavailable, error.text()};
    return {KeyringResult::Status::Failed, error.text()};
}

struct ItemList
{
    GList* items = nullptr;
    ~ItemList() { g_list_free_full(items, g_object_unref); }
};

// The items of the given attributes, unlocked through the keyring's own
// prompt where they are locked, their secrets loaded.
KeyringResult search(SecretService* service, GHashTable* attributes, ItemList& found)
{
    ErrorHolder error;
    const auto flags =
        SecretSearchFlags(SECRET_SEARCH_ALL | SECRET_SEARCH_UNLOCK | SECRET_SEARCH_LOAD_SECRETS);
    found.items = secret_service_search_sync(service, passwordSchema(), attributes, flags, nullptr,
                                             &error.error);
    if (error.error)
        return failure(error);
    return KeyringResult::ok();
}

// Deletes the session's items that `keep` does not hold on to, item by
// item: a locked one would otherwise be passed over in silence, and its
// password would stay behind.
template <typename Keep>
KeyringResult deleteItems(SecretService* service, const QString& session, Keep keep)
{
    Attributes attributes = sessionAttributes(session);
    ItemList found;
    KeyringResult result = search(service, attributes.get(), found);
    for (GList* node = found.items; node && result.done(); node = node->next) {
        auto* item = static_cast<SecretItem*>(node->data);
        ErrorHolder error;
        if (keep(item))
            continue;
        if (secret_item_get_locked(item))
            result = {KeyringResult::Status::Locked, QStringLiteral("the item was not unlocked")};
        else if (!secret_item_delete_sync(item, nullptr, &error.error))
            result = failure(error);
    }
    return result;
}

} // namespace

KeyringResult SecretServiceKeyring::load(QList<KeyringItem>& items)
{
    KeyringResult result;
    SecretService* service = openService(result);
    if (!service)
        return result;
    Attributes attributes = newAttributes();
    put(attributes.get(), "application", QString::fromLatin1(Application));
    ItemList found;
    result = search(service, attributes.get(), found);
    int locked = 0;
    for (GList* node = found.items; node; node = node->next) {
        auto* item = static_cast<SecretItem*>(node->data);
        SecretValue* secret = secret_item_get_locked(item) ? nullptr : secret_item_get_secret(item);
        if (!secret) {
            ++locked;
            continue;
        }
        GHashTable* itemAttributes = secret_item_get_attributes(item);
        items.append({attribute(itemAttributes, "session"), attribute(itemAttributes, "share"),
                      attribute(itemAttributes, "user"),
                      QString::fromUtf8(secret_value_get_text(secret))});
        g_hash_table_unref(itemAttributes);
        secret_value_unref(secret);
    }
    g_object_unref(service);
    if (result.done() && locked > 0)
        return {KeyringResult::Status::Locked,
                QStringLiteral("%1 of its items were not unlocked").arg(locked)};
    return result;
}

KeyringResult SecretServiceKeyring::store(const KeyringItem& item)
{
    KeyringResult result;
    SecretService* service = openService(result);
    if (!service)
        return result;
    Attributes attributes = sessionAttributes(item.session);
    put(attributes.get(), "share", item.share);
    put(attributes.get(), "user", item.user);
    const QByteArray label = QStringLiteral("Tarvo password of the session %1 (%2)")
                                 .arg(item.session, item.share)
                                 .toUtf8();
    ErrorHolder error;
    // Replaces an item of exactly these attributes; any other item of the
    // session (another share or user, or one a script made) goes after it.
    const bool stored = secret_service_store_sync(
        service, passwordSchema(), attributes.get(), SECRET_COLLECTION_DEFAULT, label.constData(),
        std::unique_ptr<SecretValue, decltype(&secret_value_unref)>(
            secret_value_new(item.password.toUtf8().constData(), -1, "text/plain"),
            &secret_value_unref)
            .get(),
        nullptr, &error.error);
    if (!stored) {
        g_object_unref(service);
        return failure(error);
    }
    result = deleteItems(service, item.session, [&](SecretItem* other) {
        GHashTable* otherAttributes = secret_item_get_attributes(other);
        const bool same =
            attribute(otherAttributes, "share") == item.share &&
            attribute(otherAttributes, "user") == item.user &&
            attribute(otherAttributes, "xdg:schema") == QString::fromLatin1(passwordSchema()->name);
        g_hash_table_unref(otherAttributes);
        return same;
    });
    g_object_unref(service);
    return result;
}

KeyringResult SecretServiceKeyring::remove(const QString& session)
{
    KeyringResult result;
    SecretService* service = openService(result);
    if (!service)
        return result;
    result = deleteItems(service, session, [](SecretItem*) { return false; });
    g_object_unref(service);
    return result;
}

std::unique_ptr<PasswordKeyring> PasswordKeyring::createForSession()
{
    return std::make_unique<SecretServiceKeyring>();
}

} // namespace tarvo
