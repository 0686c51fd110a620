#include "gui/options/FilterPage.h"

#include "gui/widgets/ComboText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

namespace tarvo {

CFilterPage::CFilterPage(QWidget* parent)
    : QWidget(parent)
    , m_patterns(new QComboBox(this))
    , m_exclude(new QCheckBox(QStringLiteral("Exclude these file types"), this))
    , m_readOnly(new QCheckBox(QStringLiteral("Read-only"), this))
    , m_archive(new QCheckBox(QStringLiteral("Archive"), this))
    , m_hidden(new QCheckBox(QStringLiteral("Hidden"), this))
    , m_system(new QCheckBox(QStringLiteral("System"), this))
    , m_inRom(new QCheckBox(QStringLiteral("In-Rom"), this))
{
    m_patterns->setObjectName(QStringLiteral("patternsBox"));
    m_exclude->setObjectName(QStringLiteral("excludeBox"));
    m_readOnly->setObjectName(QStringLiteral("readOnlyBox"));
    m_archive->setObjectName(QStringLiteral("archiveBox"));
    m_hidden->setObjectName(QStringLiteral("hiddenBox"));
    m_system->setObjectName(QStringLiteral("systemBox"));
    m_inRom->setObjectName(QStringLiteral("inRomBox"));
    MakeEditableCombo(*m_patterns);

    // The captions carry a blank on either side, as the group frames show them.
    auto* types = new QGroupBox(QStringLiteral(" Show file types: "), this);
    auto* typesLayout = new QVBoxLayout(types);
    typesLayout->addWidget(m_patterns);
    typesLayout->addWidget(m_exclude);

    auto* attributes = new QGroupBox(QStringLiteral(" Show file attributes: "), this);
    auto* attributesLayout = new QGridLayout(attributes);
    attributesLayout->addWidget(m_readOnly, 0, 0);
    attributesLayout->addWidget(m_archive, 0, 1);
    attributesLayout->addWidget(m_hidden, 1, 0);
    attributesLayout->addWidget(m_system, 1, 1);
    attributesLayout->addWidget(m_inRom, 2, 0);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(types);
    layout->addWidget(attributes);
    layout->addStretch();
}

void CFilterPage::load(const FilterValues& values)
{
    m_loadedMask = values.attributeMask;
    SetComboText(*m_patterns, values.patterns);
    m_exclude->setChecked(values.exclude);
    const AttributeFlags flags = AttributeFlagsFromMask(values.attributeMask);
    m_archive->setChecked(flags.archive);
    m_hidden->setChecked(flags.hidden);
    m_inRom->setChecked(flags.inRom);
    m_readOnly->setChecked(flags.readOnly);
    m_system->setChecked(flags.system);
}

FilterValues CFilterPage::save() const
{
    const quint32 mask = m_shown ? AttributeMask(attributeFlags()) : m_loadedMask;
    return {mask, m_exclude->isChecked(), m_patterns->currentText()};
}

void CFilterPage::showEvent(QShowEvent* event)
{
    m_shown = true;
    QWidget::showEvent(event);
}

AttributeFlags CFilterPage::attributeFlags() const
{
    AttributeFlags flags;
    flags.archive = m_archive->isChecked();
    flags.hidden = m_hidden->isChecked();
    flags.inRom = m_inRom->isChecked();
    flags.readOnly = m_readOnly->isChecked();
    flags.system = m_system->isChecked();
    return flags;
}

} // namespace tarvo
