#pragma once

#include <QString>
#include <QWidget>

class QIcon;

namespace tarvo {

// Where the program keeps its things, and its terms, for the About page.
struct AboutFacts
{
    QString configPath;  // the configuration file in use
    QString stateFolder; // window state and run record
    QString licence;
    QString readmePath; // empty when there is none to point at
};

// Page "About" of the Options sheet: the program's icon, name and version,
// then the configuration file, the state folder, the licence and a link
// that opens the README.
class CAboutPage : public QWidget
{
    Q_OBJECT

public:
    CAboutPage(const QIcon& icon, const QString& text, const AboutFacts& facts,
               QWidget* parent = nullptr);
};

// The README link as rich text: "<a href="file:///.../README.md">README.md</a>".
QString ReadmeLinkText(const QString& readmePath);

} // namespace tarvo
