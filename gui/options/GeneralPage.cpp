#include "gui/options/GeneralPage.h"

#include "gui/widgets/ComboText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace tarvo {

CGeneralPage::CGeneralPage(QWidget* parent)
    : QWidget(parent)
    , m_selectAll(new QCheckBox(QStringLiteral("Select all items at startup"), this))
    , m_treeSpeed(new QCheckBox(QStringLiteral("Display Tree View In High Speed"), this))
    , m_showFolders(new QCheckBox(QStringLiteral("Show folders in the list"), this))
    , m_defaultChoice(new QComboBox(this))
{
    m_selectAll->setObjectName(QStringLiteral("selectAllBox"));
    m_treeSpeed->setObjectName(QStringLiteral("treeSpeedBox"));
    m_showFolders->setObjectName(QStringLiteral("showFoldersBox"));
    m_defaultChoice->setObjectName(QStringLiteral("defaultChoiceBox"));
    MakeEditableCombo(*m_defaultChoice);
    AddSortedItems(*m_defaultChoice,
                   {QStringLiteral("Yes"), QStringLiteral("No"), QStringLiteral("None")});

    auto* label = new QLabel(QStringLiteral("Default Choice:"), this);
    label->setBuddy(m_defaultChoice);
    auto* choiceRow = new QHBoxLayout;
    choiceRow->addSpacing(fontMetrics().averageCharWidth() * 3);
    choiceRow->addWidget(label);
    choiceRow->addWidget(m_defaultChoice);
    choiceRow->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_selectAll);
    layout->addWidget(m_treeSpeed);
    layout->addWidget(m_showFolders);
    layout->addSpacing(fontMetrics().height());
    layout->addLayout(choiceRow);
    layout->addStretch();
}

void CGeneralPage::load(const GeneralValues& values)
{
    m_selectAll->setChecked(values.selectAllAtStart);
    m_treeSpeed->setChecked(values.treeSpeed);
    m_showFolders->setChecked(values.showFolders);
    SetComboText(*m_defaultChoice, values.defaultChoice);
}

GeneralValues CGeneralPage::save() const
{
    return {m_selectAll->isChecked(), m_treeSpeed->isChecked(), m_showFolders->isChecked(),
            m_defaultChoice->currentText()};
}

} // namespace tarvo
