#pragma once

#include <QList>
#include <QPointer>
#include <QString>

class QWidget;

namespace tarvo {

// Shows how far a run has come in the titles of windows ("42% – Sending –
// Tarvo"), which a task bar shows while the user works in another program,
// and gives each window its own title back when the run is over.
class ProgressTitles
{
public:
    ProgressTitles() = default;
    ProgressTitles(const ProgressTitles&) = delete;
    ProgressTitles& operator=(const ProgressTitles&) = delete;
    ~ProgressTitles() { restore(); }

    // The window's title now is the one it gets back.
    void add(QWidget* window);
    void show(int percent);
    void restore();

private:
    struct Titled
    {
        QPointer<QWidget> window;
        QString title;
    };
    QList<Titled> m_windows;
    int m_shown = -1; // the percentage in the titles; -1: their own titles
};

} // namespace tarvo
