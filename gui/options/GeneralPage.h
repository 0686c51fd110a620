#pragma once

#include "core/forms/OptionsValues.h"

#include <QWidget>

class QCheckBox;
class QComboBox;

namespace tarvo {

// Page "General" of the Options sheet: the three behaviour flags and the
// answer that the replace question starts with.
class CGeneralPage : public QWidget
{
    Q_OBJECT

public:
    explicit CGeneralPage(QWidget* parent = nullptr);

    void load(const GeneralValues& values);
    GeneralValues save() const;

private:
    QCheckBox* m_selectAll;
    QCheckBox* m_treeSpeed;
    QCheckBox* m_showFolders;
    QComboBox* m_defaultChoice;
};

} // namespace tarvo
