#include "gui/options/Options.h"

#include "config/Settings.h"
#include "gui/options/AboutPage.h"
#include "gui/options/FilterPage.h"
#include "gui/options/GeneralPage.h"
#include "gui/options/NetPage.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tarvo {

COptions::COptions(const QString& caption, const OptionsContext& context, QWidget* parent)
    : QDialog(parent)
    , m_tabs(new QTabWidget(this))
    , m_general(new CGeneralPage)
    , m_filter(new CFilterPage)
    , m_net(new CNetPage(context.settings, context.messages, context.sessionIcons, context.files,
                         context.connections))
    , m_about(new CAboutPage(context.appIcon, context.aboutText, context.about))
{
    setWindowTitle(caption);
    m_tabs->setObjectName(QStringLiteral("optionsTabs"));
    m_general->load(GeneralValuesFrom(context.settings));
    m_filter->load(FilterValuesFrom(context.settings));
    m_tabs->addTab(m_general, QStringLiteral("General"));
    m_tabs->addTab(m_filter, QStringLiteral("Filter"));
    m_tabs->addTab(m_net, QStringLiteral("Net"));
    m_tabs->addTab(m_about, QStringLiteral("About"));
    m_tabs->setCurrentIndex(0);

    // The handheld had OK in the title bar; a desktop window needs buttons.
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("optionsButtons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &COptions::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COptions::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
}

GeneralValues COptions::generalValues() const
{
    return m_general->save();
}

FilterValues COptions::filterValues() const
{
    return m_filter->save();
}

bool COptions::keepPasswordsInKeyring() const
{
    return m_net->keepPasswordsInKeyring();
}

} // namespace tarvo
