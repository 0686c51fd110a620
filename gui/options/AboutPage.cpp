#include "gui/options/AboutPage.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QUrl>
#include <QVBoxLayout>

namespace tarvo {

namespace {

// A path the user may want to copy. A path has no blanks to wrap at, so a
// label would widen the whole sheet to its length; a read-only box takes the
// width the other pages need and scrolls, and its tooltip shows it whole.
QLineEdit* pathBox(const QString& objectName, const QString& path, QWidget* parent)
{
    auto* box = new QLineEdit(path, parent);
    box->setObjectName(objectName);
    box->setReadOnly(true);
    box->setFrame(false);
    box->setToolTip(path);
    box->setCursorPosition(0);
    box->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    return box;
}

} // namespace

QString ReadmeLinkText(const QString& readmePath)
{
    return QStringLiteral("<a href=\"%1\">%2</a>")
        .arg(QUrl::fromLocalFile(readmePath).toString(QUrl::FullyEncoded).toHtmlEscaped(),
             QFileInfo(readmePath).fileName().toHtmlEscaped());
}

CAboutPage::CAboutPage(const QIcon& icon, const QString& text, const AboutFacts& facts,
                       QWidget* parent)
    : QWidget(parent)
{
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("aboutIcon"));
    picture->setPixmap(icon.pixmap(32, 32));
    auto* label = new QLabel(text, this);
    label->setObjectName(QStringLiteral("aboutText"));

    auto* rows = new QFormLayout;
    rows->addRow(QStringLiteral("Configuration:"),
                 pathBox(QStringLiteral("aboutConfig"), facts.configPath, this));
    rows->addRow(QStringLiteral("State folder:"),
                 pathBox(QStringLiteral("aboutState"), facts.stateFolder, this));
    auto* licence = new QLabel(QStringLiteral("Licence: ") + facts.licence, this);
    licence->setObjectName(QStringLiteral("aboutLicence"));
    licence->setWordWrap(true);
    // Wrapped to the width the other pages need, never widening the sheet.
    licence->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* readme = new QLabel(this);
    readme->setObjectName(QStringLiteral("aboutReadme"));
    readme->setWordWrap(true);
    if (facts.readmePath.isEmpty()) {
        readme->setText(QStringLiteral("not installed"));
    } else {
        readme->setTextFormat(Qt::RichText);
        readme->setText(ReadmeLinkText(facts.readmePath));
        readme->setOpenExternalLinks(true);
        readme->setToolTip(facts.readmePath);
        readme->setTextInteractionFlags(Qt::TextBrowserInteraction);
    }
    rows->addRow(QStringLiteral("Read me:"), readme);

    auto* row = new QHBoxLayout;
    row->addWidget(picture);
    row->addWidget(label);
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(rows);
    // Below the rows, where the page's own layout gives it the height its
    // wrapped lines need.
    layout->addWidget(licence);
    layout->addStretch();
}

} // namespace tarvo
