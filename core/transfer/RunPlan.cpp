#include "core/transfer/RunPlan.h"

#include "platform/FileTimes.h"

#include <algorithm>
#include <QDateTime>

namespace tarvo {

namespace {

constexpr RunAction::Kind AllKinds[] = {
    RunAction::Kind::Copy,       RunAction::Kind::Replace,  RunAction::Kind::Keep,
    RunAction::Kind::Prune,      RunAction::Kind::PostCopy, RunAction::Kind::PostMove,
    RunAction::Kind::PostDelete, RunAction::Kind::Resume,
};

} // namespace

int RunPlan::count(RunAction::Kind kind) const
{
    return int(std::count_if(m_actions.cbegin(), m_actions.cend(), [kind](const RunAction& action) {
        return action.kind == kind && action.result == RunAction::Result::Planned;
    }));
}

QString RunPlan::countsText() const
{
    QStringList counts;
    for (RunAction::Kind kind : AllKinds) {
        if (const int n = count(kind))
            counts.append(QStringLiteral("%1 %2").arg(n).arg(RunAction::kindName(kind)));
    }
    return counts.isEmpty() ? QStringLiteral("Nothing to do") : counts.join(QStringLiteral(", "));
}

QString RunPlan::timeText(const std::optional<FileTime>& time)
{
    if (!time || *time == 0)
        return {};
    return QDateTime::fromMSecsSinceEpoch(unixMillisecondsFromFileTime(*time))
        .toString(Qt::ISODate);
}

QString RunPlan::fileOf(const RunAction& action)
{
    return action.kind == RunAction::Kind::Prune ? action.target : action.source;
}

QString RunPlan::targetOf(const RunAction& action)
{
    const bool onItsOwn =
        action.kind == RunAction::Kind::Prune || action.kind == RunAction::Kind::PostDelete;
    return onItsOwn ? QString() : action.target;
}

QString RunPlan::line(const RunAction& action)
{
    QStringList fields{RunAction::kindName(action.kind),
                       fileOf(action),
                       targetOf(action),
                       action.session,
                       QString::number(action.bytes),
                       timeText(action.sourceTime),
                       timeText(action.targetTime)};
    // A copy that goes on from a cut copy's part: the byte it goes on at.
    if (action.kind == RunAction::Kind::Resume)
        fields.append(QString::number(action.resumedFrom));
    return fields.join(u'\t');
}

} // namespace tarvo
