#pragma once

namespace tarvo {

class CSendDlg;

// The main window's "..." (button 1005): the folder browser for the session
// in the session box; a folder chosen with OK goes to the window as a folder
// typed into the Path box does (CSendDlg::ApplySessionFolder): compared with
// the session's folder, not with what the box shows.
void OnBrowse(CSendDlg& window);

} // namespace tarvo
