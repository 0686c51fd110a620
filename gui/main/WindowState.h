#pragma once

#include <QByteArray>
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

// The size the main window opens at when no state says otherwise, for a
// screen whose free area is this size: 640 x 480, or two thirds of a screen
// too small for that to look like a window of its own.
QSize StartWindowSize(const QSize& available);

} // namespace tarvo
