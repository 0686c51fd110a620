#include "core/transfer/RunPlanModel.h"

#include "core/filelist/FileListTexts.h"

namespace tarvo {

void RunPlanModel::add(const RunAction& action)
{
    const int row = int(m_plan.actions().size());
    beginInsertRows({}, row, row);
    m_plan.add(action);
    endInsertRows();
}

bool RunPlanModel::deletes(int row) const
{
    return m_plan.actions().at(row).kind == RunAction::Kind::Prune;
}

int RunPlanModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_plan.actions().size());
}

int RunPlanModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Count;
}

QString RunPlanModel::cellText(const RunAction& action, int column)
{
    switch (column) {
    case Session:
        return action.session;
    case Action:
        return RunAction::kindName(action.kind);
    case File:
        return RunPlan::fileOf(action);
    case Target:
        return RunPlan::targetOf(action);
    case Size:
        return FileBytesText(action.bytes);
    case SourceTime:
        return RunPlan::timeText(action.sourceTime);
    case TargetTime:
        return RunPlan::timeText(action.targetTime);
    case Note:
        if (action.result == RunAction::Result::Planned || action.result == RunAction::Result::Done)
            return {};
        return action.reason.isEmpty() ? RunAction::resultName(action.result)
                                       : RunAction::resultName(action.result) +
                                             QStringLiteral(": ") + action.reason.simplified();
    default:
        return {};
    }
}

QVariant RunPlanModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const RunAction& action = m_plan.actions().at(index.row());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return cellText(action, index.column());
    if (role == Qt::TextAlignmentRole && index.column() == Size)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant RunPlanModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const Titles[] = {"Session", "Action",      "File",        "Target",
                                         "Size",    "Source time", "Target time", "Note"};
    return section >= 0 && section < Count ? QString::fromLatin1(Titles[section]) : QVariant();
}

} // namespace tarvo
