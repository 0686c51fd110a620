#pragma once

#include <QUrl>

namespace tarvo {

// The user's guide: the README installed beside the program
// (share/doc/tarvo/README.md under its prefix), else the one of the source
// tree it was built from.
QUrl HelpUrl();

} // namespace tarvo
