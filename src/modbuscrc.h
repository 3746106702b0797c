#ifndef MODBUSCRC_H
#define MODBUSCRC_H

#include <QByteArray>

// CRC-16/MODBUS: start 0xFFFF, reflected polynomial 0xA001, no final XOR.
// On the wire it follows the frame low byte first.
quint16 modbusCrc(const QByteArray &data);

// Appends the CRC of everything already in the frame, low byte first.
void appendModbusCrc(QByteArray &frame);

#endif // MODBUSCRC_H
