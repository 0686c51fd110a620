#pragma once

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>

namespace tarvo {

// The main window's size and place between runs, as QWidget::saveGeometry
// gives them, in a state file of its own (never the configuration file). A
// file that is missing, unreadable or not one of ours gives nothing: the
// window then opens at its start size. A write replaces the file only by a
// complete copy and returns 0, or the PlatformError code that says why the
// old file stayed as it was. An empty path keeps nothing.
QByteArray ReadWindowGeometry(const QString& stateFile);
int WriteWindowGeometry(const QString& stateFile, const QByteArray& geometry);

// How the user left the main list: each column's share of its width, the
// column it is sorted by (-1: by name, as at first) and the session chosen
// in the session box. Kept beside the geometry; what a file lacks or holds
// in a shape of its own is left at its default.
struct ListState
{
    QList<double> columnShares;
    int sortColumn = -1;
    Qt::SortOrder sortOrder = Qt::AscendingOrder;
    QString session;

    bool operator==(const ListState&) const = default;
};
ListState ReadListState(const QString& stateFile);
// The geometry and the list's state in one write.
int WriteWindowState(const QString& stateFile, const QByteArray& geometry, const ListState& list);

// The size the main window opens at when no state says otherwise, for a
// screen whose free area is this size: 640 x 480, or two thirds of a screen
// too small for that to look like a window of its own.
QSize StartWindowSize(const QSize& available);

} // namespace tarvo
