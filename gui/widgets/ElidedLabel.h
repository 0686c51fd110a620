#pragma once

#include <QLabel>

namespace tarvo {

// A one-line label for paths and names that may be longer than the room it
// has: what does not fit is left out in the middle ("\\server\…\file.txt"),
// and the whole text is always its tooltip. It asks for no more width than a short
// text needs, so a long path never widens its dialog past the screen.
class ElidedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);
    explicit ElidedLabel(const QString& text, QWidget* parent = nullptr);

    void setFullText(const QString& text);
    QString fullText() const { return m_fullText; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateShownText();

    QString m_fullText;
};

} // namespace tarvo
