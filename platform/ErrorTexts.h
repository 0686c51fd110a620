#pragma once

#include <QString>

namespace tarvo {

// Why an operation failed, in a sentence a user can act on: the second line
// of a failure message, under the program's own text. Empty for success.
QString ErrorReason(int platformError);

// The program's message with its reason on a second line (lines end in CR LF
// in the program's messages, as the dialogs show them).
QString WithReason(const QString& message, int platformError);

} // namespace tarvo
