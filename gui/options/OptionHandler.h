#pragma once

namespace tarvo {

class CSendApp;
class CSendDlg;
struct OptionsContext;

// What the Options sheet needs from the application.
OptionsContext OptionsContextFor(CSendApp& app);

// The main window's Option (button 1002): runs the Options sheet; after OK
// copies the General and Filter values into the settings, writes the
// configuration file, shows the first default session and refreshes the list.
// The running refresh is not disturbed: it works on its own copy of the
// settings, taken before it started.
void OnOption(CSendDlg& window);

// The first start's "Add a share...": the session dialog for a new session;
// after OK the session is stored, made a default session so that its files
// list at once, and the configuration file written.
void OnAddShare(CSendDlg& window);

} // namespace tarvo
