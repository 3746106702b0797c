#ifndef MODBUSCRC_H
#define MODBUSCRC_H

#include <QByteArray>

// CRC-16/MODBUS: start 0xFFFF, reflected polynomial 0xA001, no final XOR.
// On the wire it follows the frame low byte first.
quint16 modbusCrc(const QByteArray &data);

// Appends the CRC of everything already in the frame, low byte first.
void appendModbusCrc(QByteArray &frame);

// Whether the last two bytes are the CRC of the bytes before them. A frame of
// two bytes or fewer carries nothing to check and fails.
bool modbusCrcMatches(const QByteArray &frame);

#endif // MODBUSCRC_H
