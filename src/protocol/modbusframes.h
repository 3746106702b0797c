#ifndef MODBUSFRAMES_H
#define MODBUSFRAMES_H

#include <QByteArray>
#include <QString>
#include <QVector>

#include "exchangeoutcome.h"

// Request building and answer evaluation of the Modbus RTU master, free of any
// port so that they can be checked byte for byte.

namespace ModbusFunction {
enum : quint8 {
    ReadHoldingRegisters = 0x03,
    ReadInputRegisters = 0x04,
    WriteSingleRegister = 0x06,
    WriteMultipleRegisters = 0x10,
};
}

// Address, function, start, count, CRC (8 bytes).
QByteArray buildReadRequest(quint8 slave, quint8 function, quint16 start, quint16 count);
// Address, 0x06, register, value, CRC (8 bytes).
QByteArray buildWriteSingleRequest(quint8 slave, quint16 address, quint16 value);
// Address, 0x10, start, quantity, byte count, values, CRC (9 + 2 x quantity bytes).
QByteArray buildWriteMultipleRequest(quint8 slave, quint16 start, const QVector<quint16> &values);

// Milliseconds to wait for the first byte of an answer once the request is out.
int readResponseTimeout(quint16 count);
int writeSingleResponseTimeout();
int writeMultipleResponseTimeout(quint16 quantity);

// The longest frame Modbus RTU allows, and the time it takes on the line at
// 9600 baud (ten bits a character), rounded up.
const int longestFrameBytes = 256;
const int longestFrameMs = 267;

// "exception 02 (illegal data address)": the code in hex and, for the codes
// the standard names, what it means.
QString modbusExceptionText(quint8 code);

// Whether an answer comes from the slave the request addressed and carries
// the request's function code, or that code with the exception bit set.
bool answerBelongsTo(const QByteArray &request, const QByteArray &answer);

// Whether a write answer confirms this very write: 0x06 echoes register and
// value, 0x10 is 8 bytes echoing start and quantity. Another value or
// quantity confirms another write, which a late answer can be.
bool answerConfirmsWrite(const QByteArray &request, const QByteArray &answer);

// The length of the frame at the head of `bytes` when it is whole and has
// exactly the form of an answer to `request`: its slave, its function or that
// function's exception, the length that request's answer has, a good CRC, and
// for a write the register and value or start and quantity it confirms; 0
// when it has not. A late answer to an earlier request is told this way.
int answerAtHead(const QByteArray &request, const QByteArray &bytes);

// How a non-empty answer ends its exchange: a read is answered only with the
// words it asked for, a write only when the answer confirms this very write.
// Checked in the order of the evaluations below. The master judges once, and
// the traffic log and every caller take its judgement.
ExchangeOutcome judgeAnswer(const QByteArray &request, const QByteArray &answer);

// The words the answer to a 0x03/0x04 request carries, or none (with a debug
// line saying why). The word count is not compared with the request: callers
// judge by size.
QVector<quint16> evaluateReadAnswer(const QByteArray &request, const QByteArray &answer);

// Whether the answer to a 0x06/0x10 request reports success; a failure writes
// a debug line.
bool evaluateWriteAnswer(const QByteArray &request, const QByteArray &answer);

#endif // MODBUSFRAMES_H
