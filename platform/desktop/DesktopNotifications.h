#pragma once

#include "platform/DesktopNotifier.h"

#include <optional>
#include <QDBusConnection>
#include <QDBusPendingCall>

namespace tarvo {

// Notices through the freedesktop notification service over D-Bus
// (org.freedesktop.Notifications, which every Linux desktop runs), sent
// without waiting for the answer: a bus or a service that is missing or slow
// costs the window nothing.
class DesktopNotifications : public DesktopNotifier
{
public:
    static constexpr const char* Service = "org.freedesktop.Notifications";
    static constexpr const char* Path = "/org/freedesktop/Notifications";
    static constexpr const char* Interface = "org.freedesktop.Notifications";
    // The name the desktop shows beside the notice, and the icon of the
    // program's desktop entry.
    static constexpr const char* ProgramName = "Tarvo";
    static constexpr const char* IconName = "tarvo";

    // On the session bus, connected at the first notice: most runs end
    // without one.
    DesktopNotifications() = default;
    // On the given bus.
    explicit DesktopNotifications(const QDBusConnection& bus)
        : m_bus(bus)
    {}

    void notify(const DesktopNotice& notice) override { send(notice); }

    // The Notify call that notify() makes, and lets go. Its answer is the
    // number the service gave the notice, or an error when there is no bus
    // or no service.
    QDBusPendingCall send(const DesktopNotice& notice);

private:
    std::optional<QDBusConnection> m_bus;
};

} // namespace tarvo
