#pragma once

#include <QWidget>

class QIcon;

namespace tarvo {

// Page "About" of the Options sheet: the program's icon, name and version.
class CAboutPage : public QWidget
{
    Q_OBJECT

public:
    CAboutPage(const QIcon& icon, const QString& text, QWidget* parent = nullptr);
};

} // namespace tarvo
