#pragma once

#include "core/transfer/RunAction.h"

#include <QList>
#include <QStringList>

namespace tarvo {

// What a dry run found a send would do: its actions in run order, as the
// command line prints them and the window's preview shows them.
class RunPlan
{
public:
    void add(const RunAction& action) { m_actions.append(action); }
    const QList<RunAction>& actions() const { return m_actions; }

    // How many actions of that kind the send would do (planned ones only:
    // a file the dry run already found failing is not counted).
    int count(RunAction::Kind kind) const;
    // "2 copy, 1 replace, 3 prune", in the order of the kinds; "Nothing to
    // do" for a plan without a planned action.
    QString countsText() const;

    // One action as a line: tab-separated action, source (the file itself
    // for prune), target (empty for prune and post-delete), session, bytes,
    // the source's last-write time and the target's (for replace, keep and
    // prune; empty when not known), times as local ISO 8601.
    static QString line(const RunAction& action);
    // The file an action is about: its source, or for prune the file that
    // goes; and where it goes, empty for prune and post-delete.
    static QString fileOf(const RunAction& action);
    static QString targetOf(const RunAction& action);
    // A last-write time as the plan shows it: "2026-12-08T14:31:02", or
    // nothing for none.
    static QString timeText(const std::optional<FileTime>& time);

private:
    QList<RunAction> m_actions;
};

} // namespace tarvo
