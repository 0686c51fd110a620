#pragma once

#include "config/SessionTable.h"
#include "platform/FileTypes.h"

#include <QStringList>

namespace tarvo {

// Every persistent setting of the program, as the configuration file holds it.
struct Settings
{
    bool ShowFolder = false;
    bool TreeSpeed = false;
    quint32 ShowAttributes = DefaultShowAttributes;
    QString Filter = QStringLiteral("*.*");
    bool FilterExclude = false;
    bool DefaultSelect = true;
    bool EnableOption = true;
    int DefaultChoice = 0; // 2 as "Yes To All", 4 as "No To All", 0 ask
    // Passwords live in the desktop keyring, and the file's password fields
    // stay empty. Written only when on, so that files written without it stay
    // as they were.
    bool Keyring = false;
    QStringList DefaultSession;
    SessionTable Sessions;

    bool operator==(const Settings&) const = default;

    // Read-only, hidden, system and archive; not in-ROM.
    static constexpr quint32 DefaultShowAttributes = FileAttribute::ReadOnly |
                                                     FileAttribute::Hidden | FileAttribute::System |
                                                     FileAttribute::Archive;
};

} // namespace tarvo
