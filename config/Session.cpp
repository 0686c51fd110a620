#include "config/Session.h"

namespace tarvo {

Session Session::FromLine(const QString& name, const QString& line)
{
    Session session;
    session.name = name;
    session.line = line;
    session.kind = SessionKind(line);
    session.direction = SessionDirection(line);
    if (session.kind == SessionType::Net) {
        ParseNetSession(line, session.net);
        session.netFields = line.section(u',', 0, 0).compare(u"Net", Qt::CaseInsensitive) == 0 &&
                            line.contains(u',');
    }
    session.net.Name = name;
    return session;
}

} // namespace tarvo
