#include "config/SessionTable.h"

namespace tarvo {

QString& SessionTable::operator[](const QString& name)
{
    auto it = m_lines.find(name);
    if (it == m_lines.end()) {
        m_order.append(name);
        it = m_lines.insert(name, QString());
    }
    return it.value();
}

void SessionTable::insert(const QString& name, const QString& line)
{
    (*this)[name] = line;
}

bool SessionTable::remove(const QString& name)
{
    if (!m_lines.remove(name))
        return false;
    m_order.removeOne(name);
    return true;
}

void SessionTable::clear()
{
    m_order.clear();
    m_lines.clear();
}

} // namespace tarvo
