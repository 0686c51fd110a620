#pragma once

#include "config/Session.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace tarvo {

// Session name -> session, each parsed once from its line as it comes in.
// Names are compared exactly. The table keeps the order in which names were
// first added (the file's order, new names at the end), so saving a loaded
// file gives back the same bytes.
class SessionTable
{
public:
    // Stores the line under the name, parsed.
    void insert(const QString& name, const QString& line);
    // The lookup that adds: a name that the table lacks gains an empty line,
    // which the next save writes.
    const Session& addIfMissing(const QString& name);

    bool contains(const QString& name) const { return m_sessions.contains(name); }
    // The session, or null when the table has none of that name.
    const Session* find(const QString& name) const;
    // The session; one with an empty line for a name that the table lacks.
    Session session(const QString& name) const;
    QString line(const QString& name) const;

    bool remove(const QString& name);
    void clear();

    qsizetype size() const { return m_order.size(); }
    bool isEmpty() const { return m_order.isEmpty(); }

    // Names in enumeration order.
    const QStringList& names() const { return m_order; }

    bool operator==(const SessionTable& other) const
    {
        return m_order == other.m_order && m_sessions == other.m_sessions;
    }

private:
    QStringList m_order;
    QHash<QString, Session> m_sessions;
};

} // namespace tarvo
