// GLib's headers name struct fields "signals": built without Qt's keywords.
#include "tests/support/PrivateKeyring.h"

#include "tests/support/RunProgram.h"

#include <csignal>
#include <gio/gio.h>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QStandardPaths>
#include <QThread>

namespace tarvo::test {

namespace {

constexpr const char* SecretsName = "org.freedesktop.secrets";
constexpr const char* SecretsPath = "/org/freedesktop/secrets";
constexpr const char* LoginCollection = "/org/freedesktop/secrets/collection/login";

} // namespace

bool PrivateKeyring::isInstalled()
{
    for (const char* program : {"dbus-daemon", "gnome-keyring-daemon", "secret-tool"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty())
            return false;
    }
    return true;
}

QStringList PrivateKeyring::environment() const
{
    return {"HOME=" + m_folder.filePath("home"), "XDG_RUNTIME_DIR=" + m_folder.filePath("run"),
            "XDG_DATA_HOME=" + m_folder.filePath("home/.local/share"),
            "DBUS_SESSION_BUS_ADDRESS=" + m_address};
}

bool PrivateKeyring::start()
{
    QDir().mkpath(m_folder.filePath("home"));
    QDir().mkpath(m_folder.filePath("run"));
    QFile::setPermissions(m_folder.filePath("run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_address = "unix:path=" + m_folder.filePath("run/bus");
    // --fork returns once the bus listens; the daemon's pid is its output.
    TempFolder output;
    const Outcome bus = FinishProgram(
        StartProgram("dbus-daemon",
                     {"--session", "--fork", "--print-pid=1", "--address=" + m_address}, {},
                     output),
        output);
    const auto fail = [this](const QString& why) {
        m_error = why;
        return false;
    };
    m_busPid = bus.exitCode == 0 ? bus.out.trimmed().toLongLong() : -1;
    if (m_busPid <= 0)
        return fail("dbus-daemon did not start: " + QString::fromUtf8(bus.err));
    for (const QString& variable : environment())
        qputenv(variable.section(u'=', 0, 0).toLocal8Bit(),
                variable.section(u'=', 1).toLocal8Bit());
    // Creates the login keyring with the password, unlocked, and the Secret
    // Service on the bus; the daemon ends with the bus.
    QByteArray errors;
    if (RunProgram("gnome-keyring-daemon", {"--unlock", "--components=secrets"}, m_password,
                   &errors) != 0)
        return fail("gnome-keyring-daemon did not start: " + QString::fromUtf8(errors));
    // The daemon claims its name on the bus after --unlock has returned; a
    // call before that would have the bus start a second keyring.
    if (!waitForSecretService())
        return fail("the keyring did not appear on the bus");
    if (secretTool({"store", "--label=warm-up", "application", "tarvo-test"}, "x").isNull() ||
        secretTool({"clear", "application", "tarvo-test"}).isNull())
        return fail("the keyring does not answer");
    return true;
}

void PrivateKeyring::stop()
{
    if (m_busPid <= 0)
        return;
    // The process's own connection to the bus would end the process when the
    // bus goes away, as a desktop session's end does.
    if (GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {
        g_dbus_connection_set_exit_on_close(bus, FALSE);
        g_object_unref(bus);
    }
    ::kill(pid_t(m_busPid), SIGTERM);
    m_busPid = -1;
}

bool PrivateKeyring::waitForSecretService() const
{
    QDBusConnection bus = QDBusConnection::connectToBus(m_address, QStringLiteral("wait"));
    bool owned = false;
    // Up to a minute, for a machine that is busy with other tests.
    for (int tries = 0; tries < 3000 && bus.isConnected() && !owned; ++tries) {
        owned = bus.interface()->isServiceRegistered(QString::fromLatin1(SecretsName)).value();
        if (!owned)
            QThread::msleep(20);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("wait"));
    return owned;
}

bool PrivateKeyring::lock()
{
    QDBusConnection bus = QDBusConnection::connectToBus(m_address, QStringLiteral("lock"));
    QDBusMessage call = QDBusMessage::createMethodCall(SecretsName, SecretsPath,
                                                       "org.freedesktop.Secret.Service", "Lock");
    call << QVariant::fromValue(QList<QDBusObjectPath>{QDBusObjectPath(LoginCollection)});
    const QDBusMessage reply = bus.call(call);
    QDBusConnection::disconnectFromBus(QStringLiteral("lock"));
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool PrivateKeyring::unlock()
{
    // What the login does: the password goes to GNOME Keyring's own
    // interface, in the clear through a "plain" session of this connection.
    QDBusConnection bus = QDBusConnection::connectToBus(m_address, QStringLiteral("unlock"));
    QDBusMessage open = QDBusMessage::createMethodCall(
        SecretsName, SecretsPath, "org.freedesktop.Secret.Service", "OpenSession");
    open << QStringLiteral("plain") << QVariant::fromValue(QDBusVariant(QString()));
    const QDBusMessage opened = bus.call(open);
    bool unlocked = false;
    if (opened.type() == QDBusMessage::ReplyMessage && opened.arguments().size() == 2) {
        const QDBusObjectPath session = opened.arguments().at(1).value<QDBusObjectPath>();
        QDBusArgument secret;
        secret.beginStructure();
        secret << session << QByteArray() << m_password << QStringLiteral("text/plain");
        secret.endStructure();
        QDBusMessage call = QDBusMessage::createMethodCall(
            SecretsName, SecretsPath, "org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface",
            "UnlockWithMasterPassword");
        call << QVariant::fromValue(QDBusObjectPath(LoginCollection))
             << QVariant::fromValue(secret);
        unlocked = bus.call(call).type() == QDBusMessage::ReplyMessage;
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("unlock"));
    return unlocked;
}

QByteArray PrivateKeyring::secretTool(const QStringList& arguments, const QByteArray& input) const
{
    TempFolder run;
    const Outcome outcome = FinishProgram(
        StartProgram("secret-tool", arguments, environment(), run, {}, run.write("in", input)),
        run);
    return outcome.exitCode == 0 ? (outcome.out.isNull() ? QByteArray("") : outcome.out)
                                 : QByteArray();
}

} // namespace tarvo::test
