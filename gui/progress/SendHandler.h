#pragma once

namespace tarvo {

class CSendDlg;

// The main window's Send (button 1001): the selected rows become the
// transfer list, the Progress dialog runs it, and Done refreshes the list.
void OnSend(CSendDlg& window);

} // namespace tarvo
