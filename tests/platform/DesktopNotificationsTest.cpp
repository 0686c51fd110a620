#include "platform/desktop/DesktopNotifications.h"

#include "tests/support/Locked.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>
#include <mutex>
#include <QDBusMessage>
#include <QDBusPendingReply>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QTest>

namespace tarvo::test {
namespace {

// The desktop's notification service as the program meets it: it answers
// Notify with the notice's number and keeps what each call said. Qt may call
// it on its D-Bus thread.
class StandInService : public QDBusVirtualObject
{
public:
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        QStringList said{message.interface() + "." + message.member(), message.signature()};
        for (int i : {0, 1, 2, 3, 4, 7}) // all but the actions and the hints
            said.append(message.arguments().value(i).toString());
        const auto number = Locked(m_mutex, [&] {
            m_calls.append(said.join(u'|'));
            return quint32(m_calls.size());
        });
        connection.send(message.createReply(number));
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
    QStringList calls() const
    {
        return Locked(m_mutex, [&] { return m_calls; });
    }

private:
    mutable std::mutex m_mutex;
    QStringList m_calls;
};

std::mutex printedMutex;
QStringList printed; // what Qt printed, its D-Bus module's warnings among it

// A session bus of the test's own: dbus-daemon on a socket in a temporary
// folder, which starts no service by itself, so that no notification service
// of the machine answers in the stand-in's place.
class DesktopNotificationsTest : public ::testing::Test
{
protected:
    DesktopNotificationsTest()
    {
        const QString config =
            QStringLiteral("<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                           "<policy context=\"default\"><allow send_destination=\"*\"/>"
                           "<allow receive_sender=\"*\"/><allow own=\"*\"/></policy></busconfig>");
        m_daemon.start(
            "dbus-daemon",
            {"--config-file=" + m_folder.write("bus.conf", config.arg(m_folder.path()).toUtf8()),
             "--print-address", "--nofork"});
        while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(10000)) {
        }
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        Locked(printedMutex, [] { printed.clear(); });
        m_handler =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
                Locked(printedMutex, [&] { printed.append(text); });
            });
    }
    ~DesktopNotificationsTest() override
    {
        qInstallMessageHandler(m_handler);
        for (const char* name : {"service", "program", "nowhere"})
            QDBusConnection::disconnectFromBus(name);
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
    void SetUp() override
    {
        ASSERT_FALSE(m_address.isEmpty()) << "no dbus-daemon: run scripts/install-deps.sh";
    }
    QDBusConnection connect(const QString& name, const QString& address = {})
    {
        return QDBusConnection::connectToBus(address.isEmpty() ? m_address : address, name);
    }

    TempFolder m_folder;
    QProcess m_daemon;
    QString m_address;
    QtMessageHandler m_handler = nullptr;
};

const DesktopNotice AllSent{"Tarvo: send finished", "12 of 12 files sent"};

// A notice is one Notify call with the program's name and icon, a new notice
// each time and the desktop's own time on the screen. The program's notifier
// finds the bus that the environment names.
TEST_F(DesktopNotificationsTest, ANoticeIsOneNotifyCallOnTheSessionBusTheEnvironmentNames)
{
    StandInService service;
    QDBusConnection serviceSide = connect("service");
    ASSERT_TRUE(serviceSide.registerVirtualObject(DesktopNotifications::Path, &service) &&
                serviceSide.registerService(DesktopNotifications::Service));
    DesktopNotifications notifications(connect("program"));
    QDBusPendingReply<quint32> reply =
        notifications.send({"Tarvo: send finished with failures", "10 of 12 files sent, 2 failed"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return reply.isFinished(); }));
    EXPECT_EQ(reply.value(), 1u) << reply.error().message().toStdString();

    const QByteArray before = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    const auto restore = qScopeGuard([&] { qputenv("DBUS_SESSION_BUS_ADDRESS", before); });
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
    DesktopNotifier::createForSession()->notify(AllSent);
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.calls().size() == 2; }));
    const QString call = "org.freedesktop.Notifications.Notify|susssasa{sv}i|Tarvo|0|tarvo|%1|-1";
    EXPECT_EQ(
        service.calls(),
        QStringList({call.arg("Tarvo: send finished with failures|10 of 12 files sent, 2 failed"),
                     call.arg("Tarvo: send finished|12 of 12 files sent")}));
}

// A bus without the service answers with an error, and a bus that is not
// there fails the call at once; neither holds the caller up or prints a word.
TEST_F(DesktopNotificationsTest, WithoutTheServiceOrWithoutABusANoticeIsDroppedQuietly)
{
    DesktopNotifications noService(connect("program"));
    DesktopNotifications noBus(connect("nowhere", "unix:path=" + m_folder.filePath("nobody")));
    noBus.notify(AllSent);
    const QDBusPendingCall unsent = noBus.send(AllSent);
    EXPECT_TRUE(unsent.isFinished() && unsent.isError());
    noService.notify(AllSent);
    const QDBusPendingCall unanswered = noService.send(AllSent);
    ASSERT_TRUE(QTest::qWaitFor([&] { return unanswered.isFinished(); }));
    EXPECT_EQ(unanswered.error().type(), QDBusError::ServiceUnknown);
    EXPECT_EQ(Locked(printedMutex, [] { return printed; }), QStringList());
}

} // namespace
} // namespace tarvo::test
