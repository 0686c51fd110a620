#include "core/forms/ShareText.h"

#include <optional>
#include <QRegularExpression>
#include <QStringList>

namespace tarvo {

namespace {

ParsedShare refused(const QString& why)
{
    return {QString(), why};
}

ParsedShare notAShare()
{
    return refused(QStringLiteral("Share must name a server and a share, such as "
                                  "\\\\fileserver\\docs or smb://fileserver/docs."));
}

// The text after the "\\", "//" or "smb://" that opens a share; nothing
// when it opens with none of them.
std::optional<QString> afterPrefix(const QString& text)
{
    static const QString scheme = QStringLiteral("smb://");
    if (text.startsWith(scheme, Qt::CaseInsensitive))
        return text.mid(scheme.size());
    if (text.startsWith(QStringLiteral("\\\\")) || text.startsWith(QStringLiteral("//")))
        return text.mid(2);
    return std::nullopt;
}

} // namespace

ParsedShare ParseShareText(const QString& typed)
{
    const std::optional<QString> rest = afterPrefix(typed.trimmed());
    if (!rest)
        return notAShare();
    // Either separator, as in the paths of a session's folders.
    QStringList parts = rest->split(QRegularExpression(QStringLiteral("[\\\\/]")));
    if (parts.size() == 3 && parts.last().isEmpty())
        parts.removeLast(); // "\\server\share\"
    if (parts.size() != 2 || parts.first().isEmpty() || parts.last().isEmpty())
        return notAShare();

    QString server = parts.first();
    const QString& share = parts.last();
    if (const qsizetype colon = server.indexOf(u':'); colon >= 0) {
        const QString host = server.left(colon);
        const QString portText = server.mid(colon + 1);
        static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
        const int port = digits.match(portText).hasMatch() ? portText.toInt() : 0;
        if (host.isEmpty())
            return notAShare();
        if (port < 1 || port > 65535)
            return refused(QStringLiteral("The port after the server must be a number from 1 to "
                                          "65535, such as \\\\fileserver:445\\docs."));
        server = host + u':' + QString::number(port);
    }
    return {QStringLiteral("\\\\") + server + u'\\' + share, QString()};
}

} // namespace tarvo
