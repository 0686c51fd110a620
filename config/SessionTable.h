#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace tarvo {

// Session name -> session line. Names are compared exactly. The table keeps
// the order in which names were first added (the file's order, new names at
// the end), so saving a loaded file gives back the same bytes.
class SessionTable
{
public:
    // Lookup-or-create: a name that the table lacks is added with an empty line.
    QString& operator[](const QString& name);

    // Lookup without adding.
    bool contains(const QString& name) const { return m_lines.contains(name); }
    QString value(const QString& name) const { return m_lines.value(name); }

    void insert(const QString& name, const QString& line);
    bool remove(const QString& name);
    void clear();

    qsizetype size() const { return m_order.size(); }
    bool isEmpty() const { return m_order.isEmpty(); }

    // Names in enumeration order.
    const QStringList& names() const { return m_order; }

    bool operator==(const SessionTable& other) const
    {
        return m_order == other.m_order && m_lines == other.m_lines;
    }

private:
    QStringList m_order;
    QHash<QString, QString> m_lines;
};

} // namespace tarvo
