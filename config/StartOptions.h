#pragma once

#include <QString>

namespace tarvo {

// What the program was started with, whether it opens the window or runs a
// command: the global options and its own path.
struct StartOptions
{
    QString configOption;   // --config FILE, empty when not given
    QString rootOption;     // --root DIR, empty when not given
    QString executablePath; // the running program

    // The configuration file: --config, else the registry's "Setting" value,
    // else the program's own path with ".txt".
    QString configPath() const;
    // The folder that stands for the device: --root, else the home folder.
    QString deviceRoot() const;
    // The program's folder of the user's state: $XDG_STATE_HOME/tarvo, else
    // ~/.local/state/tarvo. It holds what the program keeps apart from the
    // configuration file: the window's place and the run record.
    QString stateFolder() const;
    // The file that keeps the main window's size and place between runs.
    QString windowStatePath() const;
    // The README to point users at: the one installed beside the program
    // (<prefix>/share/doc/tarvo/README.md for <prefix>/bin/tarvo), else the
    // one of the source tree the program was built from, when it is there;
    // empty when neither is.
    QString readmePath() const;
};

// The program's version, as the build names it.
inline QString ProgramVersion()
{
    return QStringLiteral(TARVO_VERSION);
}

// The terms the program is given under, as the About page states them.
inline QString ProgramLicence()
{
    return QStringLiteral("No licence has been stated for Tarvo yet.");
}

// How the program ends.
enum ExitStatus : int { ExitSuccess = 0, ExitIncomplete = 1, ExitUsage = 2 };

} // namespace tarvo
