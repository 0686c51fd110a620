#pragma once

#include <optional>
#include <QString>

namespace tarvo {

// Stand-in for the handheld's registry: a small per-user file that holds the
// string values the program looks up. TARVO_REGISTRY names another file, so
// tests never touch the user's own.
class Registry
{
public:
    // The file named by TARVO_REGISTRY, else tarvo/registry.ini in the user's
    // configuration folder.
    Registry();
    explicit Registry(QString file);

    const QString& file() const { return m_file; }

    // The value under key (a path such as "Software\Quenda\Tarvo"), or nothing
    // when the key or value does not exist. A value that is not a string gives
    // an empty optional string in notString.
    struct Value
    {
        bool isString = true;
        QString text;
    };
    std::optional<Value> readValue(const QString& key, const QString& name) const;

    // Stores a string value; false when the file cannot be written.
    bool writeString(const QString& key, const QString& name, const QString& text);

    static constexpr const char* EnvironmentVariable = "TARVO_REGISTRY";

private:
    QString m_file;
};

} // namespace tarvo
