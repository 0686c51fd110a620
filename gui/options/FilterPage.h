#pragma once

#include "core/forms/OptionsValues.h"

#include <QWidget>

class QCheckBox;
class QComboBox;

namespace tarvo {

// Page "Filter" of the Options sheet: the file-type patterns of the list and
// the attributes that a listed file may carry.
class CFilterPage : public QWidget
{
    Q_OBJECT

public:
    explicit CFilterPage(QWidget* parent = nullptr);

    void load(const FilterValues& values);

    // The mask is rebuilt from the five boxes only when the user has seen the
    // page; otherwise it is the mask that was loaded, bit for bit.
    FilterValues save() const;

    bool wasShown() const { return m_shown; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    AttributeFlags attributeFlags() const;

    QComboBox* m_patterns;
    QCheckBox* m_exclude;
    QCheckBox* m_readOnly;
    QCheckBox* m_archive;
    QCheckBox* m_hidden;
    QCheckBox* m_system;
    QCheckBox* m_inRom;
    quint32 m_loadedMask = 0;
    bool m_shown = false;
};

} // namespace tarvo
