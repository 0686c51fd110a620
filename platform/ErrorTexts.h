#pragma once

#include <QString>

namespace tarvo {

// Why an operation failed, in a sentence a user can act on: the second line
// of a failure message, under the program's own text. Empty for success.
QString ErrorReason(int platformError);

// The program's message with its reason on a second line.
QString WithReason(const QString& message, int platformError);

} // namespace tarvo
