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

    // Stores a string value and keeps the file's other values. False when
    // the file cannot be replaced by a complete copy, with the PlatformError
    // code in `error` that says why; the file then stays as it was.
    bool writeString(const QString& key, const QString& name, const QString& text,
                     int* error = nullptr);

    static constexpr const char* EnvironmentVariable = "TARVO_REGISTRY";

private:
    QString m_file;
};

} // namespace tarvo
