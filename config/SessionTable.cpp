#include "config/SessionTable.h"

namespace tarvo {

void SessionTable::insert(const QString& name, const QString& line)
{
    if (!m_sessions.contains(name))
        m_order.append(name);
    m_sessions.insert(name, Session::FromLine(name, line));
}

const Session& SessionTable::addIfMissing(const QString& name)
{
    if (!m_sessions.contains(name))
        insert(name, QString());
    return *m_sessions.constFind(name);
}

const Session* SessionTable::find(const QString& name) const
{
    const auto found = m_sessions.constFind(name);
    return found == m_sessions.cend() ? nullptr : &*found;
}

Session SessionTable::session(const QString& name) const
{
    const Session* found = find(name);
    return found ? *found : Session::FromLine(name, QString());
}

QString SessionTable::line(const QString& name) const
{
    const Session* found = find(name);
    return found ? found->line : QString();
}

bool SessionTable::remove(const QString& name)
{
    if (!m_sessions.remove(name))
        return false;
    m_order.removeOne(name);
    return true;
}

void SessionTable::clear()
{
    m_order.clear();
    m_sessions.clear();
}

} // namespace tarvo
