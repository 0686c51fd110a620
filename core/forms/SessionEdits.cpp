#include "core/forms/SessionEdits.h"

#include "config/NetSession.h"

namespace tarvo {

StoredSession StoreSession(const Settings& settings, const QString& editedName,
                           const SessionForm& form)
{
    StoredSession stored{settings, form.sessionName, EncodeSessionLine(form), {}};
    Settings& result = stored.settings;
    if (RenamesLetterCase(editedName, form.sessionName, settings.Sessions.names())) {
        stored.renamedFrom = editedName;
        result.Sessions.remove(editedName);
        const qsizetype index = result.DefaultSession.indexOf(editedName);
        if (index >= 0)
            result.DefaultSession[index] = form.sessionName;
    }
    result.Sessions.insert(stored.name, stored.line);
    return stored;
}

RemovedSessions RemoveSessions(const Settings& settings, const QStringList& names,
                               const std::function<bool(const QString& name)>& confirmDefault)
{
    RemovedSessions result{settings, {}};
    Settings& after = result.settings;
    for (const QString& name : names) {
        const bool isDefault = FindDefaultSession(after.DefaultSession, name) >= 0;
        if (isDefault && !confirmDefault(name))
            continue;
        after.Sessions.remove(name);
        if (isDefault)
            RemoveDefaultSession(after.DefaultSession, name);
        result.removed.append(name);
    }
    return result;
}

Settings SetDefaultSessions(const Settings& settings, const QStringList& names)
{
    Settings result = settings;
    result.DefaultSession.clear();
    for (const QString& name : names)
        AddDefaultSession(result.DefaultSession, name);
    return result;
}

} // namespace tarvo
