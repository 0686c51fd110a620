#pragma once

namespace tarvo {

class CSendDlg;

// The main window's "..." (button 1005): the folder browser for the session
// in the session box; a folder chosen with OK that differs from the Path box
// becomes the session's folder, shows in the Path box and refreshes the list.
void OnBrowse(CSendDlg& window);

} // namespace tarvo
