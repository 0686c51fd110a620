// Any session line parses without a crash, formatting is stable after one
// round, and the folder helpers accept whatever the line holds.
#include "config/NetSession.h"
#include "config/PathHelpers.h"
#include "config/Session.h"

#include <cstdlib>

using namespace tarvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString line = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    NetSession session;
    ParseNetSession(line, session);
    const QString once = FormatNetSession(session);
    NetSession again;
    ParseNetSession(once, again);
    if (FormatNetSession(again) != once)
        std::abort();

    SessionKind(line);
    SessionDirection(line);
    const Session typed = Session::FromLine(QStringLiteral("S"), line);
    SessionSourceFolder(typed);
    SessionTargetFolder(typed);
    SessionPostFolder(typed);
    QString changed = line;
    SetSessionFolder(changed, line);
    return 0;
}
