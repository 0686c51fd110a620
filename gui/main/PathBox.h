#pragma once

#include <QLineEdit>

namespace tarvo {

// The main window's Path box: shows the folder that the session in the
// session box uses. A folder typed into it counts only when Enter hands it
// to the window (folderEntered), which makes it the session's folder or
// refuses it and shows the session's folder again. Esc, or leaving the box
// for another control of the window, puts the session's folder back.
class PathBox : public QLineEdit
{
    Q_OBJECT

public:
    explicit PathBox(QWidget* parent = nullptr);

    // The folder that the box stands for; what was typed over it goes.
    void showFolder(const QString& folder);
    const QString& folder() const { return m_folder; }

signals:
    // Enter with a text other than the folder shown.
    void folderEntered(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QString m_folder;
};

} // namespace tarvo
