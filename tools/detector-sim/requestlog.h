#ifndef REQUESTLOG_H
#define REQUESTLOG_H

#include "faults.h"
#include "rtuframes.h"

#include <QString>

// The request log has one line per request and one per event, each starting
// with the seconds since the simulator started:
//   12.345 slave=1 fc=04 addr=256 count=80 fault=none reply=ok
//   12.400 slave=1 fc=06 addr=3 value=128 fault=none reply=ok
//   12.500 slave=1 fc=10 addr=0 count=96 values=4096,256,... fault=none reply=ok
//   12.600 event=mode value=service
QString requestLogLine(double seconds, const Request &request, const AppliedFault &fault,
                       const QString &reply);
QString eventLogLine(double seconds, const QString &event);

// "ok", "exception:02", or the given word for an answer that carries none.
QString replyLabel(const QByteArray &answerPdu);

#endif // REQUESTLOG_H
