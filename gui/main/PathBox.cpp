#include "gui/main/PathBox.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace tarvo {

PathBox::PathBox(QWidget* parent)
    : QLineEdit(parent)
{
    connect(this, &QLineEdit::returnPressed, this, [this] {
        if (text() != m_folder)
            emit folderEntered(text());
    });
}

void PathBox::showFolder(const QString& folder)
{
    m_folder = folder;
    setText(folder);
    setToolTip(folder);
}

void PathBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        showFolder(m_folder);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void PathBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // The box's own menu and a switch to another program leave the typing as it is.
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        showFolder(m_folder);
}

} // namespace tarvo
