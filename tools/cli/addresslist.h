#ifndef CLI_ADDRESSLIST_H
#define CLI_ADDRESSLIST_H

#include <QString>
#include <QVector>

#include <functional>

class ModbusOperations;
struct CliOptions;

// "1,2,5-9": addresses and ranges of 1-247 in the order given, each address
// once. False with the reason.
bool parseAddressList(const QString &text, QVector<int> &addresses, QString &error);

// The exit status of a command run on several detectors: 0 when each
// succeeded; 3 when each that did not succeed answered and differed (a
// read-back, differences); 1 when any failed otherwise.
int listStatus(const QVector<int> &statuses);

// Runs one detector's part for each address of the options in turn, with
// options.address set to it; one detector that fails does not stop the
// others. A port that cannot be opened or is lost stops the round: the
// detectors not tried are named. Returns the one detector's own status, or
// listStatus of all; `statuses` gets each one's, in order.
int forEachAddress(ModbusOperations &device, const CliOptions &options,
                   const std::function<int(const CliOptions &)> &run, QVector<int> *statuses = nullptr);

// "1, 2 and 5".
QString addressesText(const QVector<int> &addresses);

#endif // CLI_ADDRESSLIST_H
