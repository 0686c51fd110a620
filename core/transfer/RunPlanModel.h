#pragma once

#include "core/transfer/RunPlan.h"

#include <QAbstractTableModel>

namespace tarvo {

// The preview's table: one row per action of the plan, in run order.
class RunPlanModel : public QAbstractTableModel
{
public:
    enum Column { Session, Action, File, Target, Size, SourceTime, TargetTime, Note, Count };

    using QAbstractTableModel::QAbstractTableModel;

    void add(const RunAction& action);
    const RunPlan& plan() const { return m_plan; }
    // Whether the row's action deletes a file that no sent file replaces
    // (a prune): the preview makes those stand out.
    bool deletes(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The text of one cell, as the table shows it.
    static QString cellText(const RunAction& action, int column);

private:
    RunPlan m_plan;
};

} // namespace tarvo
