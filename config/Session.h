#pragma once

#include "config/NetSession.h"

namespace tarvo {

// One session as the program works with it: parsed once, when the session
// table takes its line, so that nothing parses it again. The line itself is
// kept and written back as it stands (an Ftp line, a Net line as the user
// wrote it) until an edit replaces it.
struct Session
{
    QString name;
    QString line;
    SessionType kind = SessionType::Net;
    TransferDirection direction = TransferDirection::None;
    NetSession net; // the fields of a Net line; empty for any other line
    // The line is a Net line field by field ("Net,..."): kind Net is also
    // what any line of an unknown kind counts as, without fields to read.
    bool netFields = false;

    static Session FromLine(const QString& name, const QString& line);

    bool isNet() const { return kind == SessionType::Net; }
    // A Net session that transfers: Put or Get.
    bool transfers() const
    {
        return isNet() &&
               (direction == TransferDirection::Put || direction == TransferDirection::Get);
    }
    bool operator==(const Session& other) const { return name == other.name && line == other.line; }
};

} // namespace tarvo
