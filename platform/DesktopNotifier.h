#pragma once

#include <memory>
#include <QString>

namespace tarvo {

// A notice on the desktop: a pop-up, then a line in its notification list.
struct DesktopNotice
{
    QString summary; // one line: "Tarvo: send finished"
    QString body;    // "12 of 12 files sent"

    bool operator==(const DesktopNotice&) const = default;
};

// Tells the user something while they are working in another program. The
// window is given one; its tests give it a stand-in.
class DesktopNotifier
{
public:
    virtual ~DesktopNotifier() = default;

    // Hands the notice to the desktop and returns at once. Where there is no
    // desktop to show it, nothing happens: a notice is never a reason to fail
    // or to keep the window waiting.
    virtual void notify(const DesktopNotice& notice) = 0;

    // The desktop's notification service on the session bus that the
    // environment names (DBUS_SESSION_BUS_ADDRESS), reached at the first notice.
    static std::unique_ptr<DesktopNotifier> createForSession();
};

} // namespace tarvo
