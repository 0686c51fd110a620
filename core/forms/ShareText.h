#pragma once

#include <QString>

namespace tarvo {

// What the Share field of a session makes of its text.
struct ParsedShare
{
    // The form the session line keeps: "\\server\share" or
    // "\\server:port\share"; empty when the text was refused.
    QString text;
    // Why the text was refused, with an example of the right form.
    QString problem;

    bool accepted() const { return problem.isEmpty(); }
};

// Reads a share as users write it: "\\server\share", "//server/share" or
// "smb://server/share", the server with an optional ":port", a trailing
// separator tolerated, blanks around the whole ignored. Refuses a text
// without a server or a share, with a folder below the share, or with a
// port that is no number from 1 to 65535.
ParsedShare ParseShareText(const QString& typed);

} // namespace tarvo
