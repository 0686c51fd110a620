#include "platform/desktop/DesktopNotifications.h"

#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace tarvo {

std::unique_ptr<DesktopNotifier> DesktopNotifier::createForSession()
{
    return std::make_unique<DesktopNotifications>();
}

QDBusPendingCall DesktopNotifications::send(const DesktopNotice& notice)
{
    if (!m_bus)
        m_bus = QDBusConnection::sessionBus();
    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(Service), QLatin1String(Path),
                                       QLatin1String(Interface), QStringLiteral("Notify"));
    // A new notice each time (replaces_id 0), no actions, no hints, and as
    // long on the screen as the desktop keeps its notices (expire_timeout -1).
    call << QLatin1String(ProgramName) << quint32(0) << QLatin1String(IconName) << notice.summary
         << notice.body << QStringList() << QVariantMap() << qint32(-1);
    // Without a connection this is an error at once, and nothing is sent.
    return m_bus->asyncCall(call);
}

} // namespace tarvo
