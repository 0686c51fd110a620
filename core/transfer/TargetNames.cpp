#include "core/transfer/TargetNames.h"

#include "config/PathHelpers.h"
#include "platform/FileNames.h"
#include "platform/MessageService.h"

#include <QRegularExpression>

namespace tarvo {

TargetNames::TargetNames(MessageService& messages)
    : m_messages(messages)
{}

namespace {

// A "." or ".." step would make the path name a file other than the one the
// list showed, or one outside the session's folder.
bool hasDotSteps(const QString& path)
{
    static const QRegularExpression step(QStringLiteral(R"((^|[\\/])\.\.?([\\/]|$))"));
    return path.contains(step);
}

} // namespace

bool TargetNames::accept(const QString& source)
{
    const QString why = refusal(source);
    if (why.isEmpty())
        return true;
    m_messages.showMessage(why, MessageIcon::Error, MessageButtons::Ok);
    return false;
}

QString TargetNames::refusal(const QString& source)
{
    const QString fileName = SplitPath(source).fileName;
    if (!IsPlainFileName(fileName) || hasDotSteps(source))
        return QStringLiteral("The name of %1 cannot be used for a file; it was not copied")
            .arg(source);
    const QString key = fileName.toCaseFolded();
    const auto earlier = m_taken.constFind(key);
    if (earlier == m_taken.cend()) {
        m_taken.insert(key, source);
        return {};
    }
    return QStringLiteral("%1 was not copied: its name differs from %2 only in letter case, and "
                          "the target folder would take the two for one file")
        .arg(source, *earlier);
}

} // namespace tarvo
