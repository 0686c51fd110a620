#pragma once

#include "core/forms/OptionsValues.h"
#include "gui/options/AboutPage.h"

#include <QDialog>
#include <QIcon>

class QTabWidget;

namespace tarvo {

class CFilterPage;
class CGeneralPage;
class CNetPage;
class FileSystem;
class ImageList;
class MessageService;
struct Settings;
class ShareConnections;

// What the sheet works with; all of it belongs to the application.
struct OptionsContext
{
    Settings& settings;
    MessageService& messages;
    const ImageList& sessionIcons;
    FileSystem& files;             // the session dialog's browser and Test
    ShareConnections& connections; // likewise
    QIcon appIcon;
    QString aboutText; // product name, a blank, the version
    AboutFacts about;
};

// The Options sheet: General, Filter, Net and About, with OK and Cancel.
//
// General and Filter take their values from the settings when the sheet is
// made and hand them back with generalValues() and filterValues(); the sheet
// itself never writes them into the settings (OnOption does, after OK). The
// Net page is different: it changes the session table and the default
// sessions in place, so its changes stay in memory even after Cancel.
class COptions : public QDialog
{
    Q_OBJECT

public:
    COptions(const QString& caption, const OptionsContext& context, QWidget* parent = nullptr);

    GeneralValues generalValues() const;
    FilterValues filterValues() const;
    // The Net page's "Keep passwords in the desktop keyring".
    bool keepPasswordsInKeyring() const;

    QTabWidget& tabs() { return *m_tabs; }
    CGeneralPage& generalPage() { return *m_general; }
    CFilterPage& filterPage() { return *m_filter; }
    CNetPage& netPage() { return *m_net; }

private:
    QTabWidget* m_tabs;
    CGeneralPage* m_general;
    CFilterPage* m_filter;
    CNetPage* m_net;
    CAboutPage* m_about;
};

} // namespace tarvo
