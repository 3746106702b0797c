#ifndef PORTOPENFAILURE_H
#define PORTOPENFAILURE_H

#include <QString>

// Why a serial port did not open, told apart by what the system said, so
// that the user learns what to do about it.
enum class PortOpenFailure {
    None,
    NoPortChosen,    // an empty name: nothing selected in the port list
    Missing,         // no such device: unplugged, or the list is stale
    Busy,            // another program holds it
    NoPermission,    // the device file does not let this user in
    Other            // anything else; the port layer's text says what
};

// `location`: the port's device file; `permissionError`: the port layer
// refused the open for permission, which it also reports when another
// program's lock or exclusive open holds the port.
PortOpenFailure classifyOpenFailure(const QString &location, bool permissionError);

#endif // PORTOPENFAILURE_H
