#ifndef CLI_JSONOUT_H
#define CLI_JSONOUT_H

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>
#include <QVector>

class ExchangeOutcome;
#include <QJsonValue>

// --json: values as numbers, units and texts as strings, times in ISO 8601.

// {"word": 130, "text": "Сервисн. режим", "bits": ["threshold 1", "service mode"]}
QJsonObject statusJson(quint16 status);

// {"kind": "refused", "exceptionCode": 2, "message": "exception 02 (...)"}:
// how an exchange failed, by its kind.
QJsonObject outcomeJson(const ExchangeOutcome &outcome);

// {"address": N, "failure": {...}}: the last failure told of that address.
QJsonObject failureJson(int address);
// The object with "failure" added when one was told of its "address".
QJsonObject withFailure(QJsonObject object);

// Rows under their header row as objects keyed by the header's names. The
// cells of numberColumns are numbers, null when empty; the others stay text,
// so that a cylinder lot "0042" keeps its zeros and a column its one type.
QJsonArray tableJson(const QVector<QStringList> &rows, const QStringList &numberColumns);

// One compact document and a line end on standard output; false as printLine.
bool printJson(const QJsonValue &value);

#endif // CLI_JSONOUT_H
