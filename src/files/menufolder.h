#ifndef MENUFOLDER_H
#define MENUFOLDER_H

#include <QString>

// Where the window keeps its state file and calibration journal when the
// desktop menu starts it: zorvel-configurator in $XDG_CONFIG_HOME, or in
// ~/.config when that is not set (or, against the XDG rules, not absolute).
// From a terminal the window works in the terminal's directory instead.
QString menuFolder();

#endif // MENUFOLDER_H
