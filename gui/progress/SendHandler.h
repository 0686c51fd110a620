#pragma once

namespace tarvo {

class CSendDlg;

// The main window's Send (button 1001): the selected rows become the
// transfer list, the Progress dialog runs it, and Done refreshes the list;
// the rows whose files were not sent stay marked until the user refreshes.
void OnSend(CSendDlg& window);

// The main window's Preview: what a Send of the selected rows would do, as a
// table; its Send then sends exactly those rows.
void OnPreview(CSendDlg& window);

} // namespace tarvo
