#ifndef PORTLIST_H
#define PORTLIST_H

#include <QStringList>

// The entries of the port list: "name (manufacturer)" for every serial port
// the system reports, in its order, followed by one entry per path named in
// ZORVEL_EXTRA_PORTS (colon-separated), so a simulated detector on a
// pseudo-terminal can be picked like a real adapter.
QStringList portListEntries();

// The extra entries alone, for a given value of ZORVEL_EXTRA_PORTS.
QStringList extraPortEntries(const QString &variable);

#endif // PORTLIST_H
