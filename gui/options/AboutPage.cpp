#include "gui/options/AboutPage.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

namespace tarvo {

CAboutPage::CAboutPage(const QIcon& icon, const QString& text, QWidget* parent)
    : QWidget(parent)
{
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("aboutIcon"));
    picture->setPixmap(icon.pixmap(32, 32));
    auto* label = new QLabel(text, this);
    label->setObjectName(QStringLiteral("aboutText"));

    auto* row = new QHBoxLayout;
    row->addWidget(picture);
    row->addWidget(label);
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addStretch();
}

} // namespace tarvo
