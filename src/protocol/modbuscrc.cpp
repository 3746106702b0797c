#include "modbuscrc.h"

quint16 modbusCrc(const QByteArray &data)
{
    quint16 crc = 0xFFFF;
    for (const char byte : data) {
        crc ^= static_cast<quint8>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
}

void appendModbusCrc(QByteArray &frame)
{
    const quint16 crc = modbusCrc(frame);
    frame.append(static_cast<char>(crc & 0xFF));
    frame.append(static_cast<char>(crc >> 8));
}

bool modbusCrcMatches(const QByteArray &frame)
{
    const int n = frame.size();
    if (n <= 2)
        return false;
    const quint16 received = static_cast<quint8>(frame[n - 2])
                             | static_cast<quint16>(static_cast<quint8>(frame[n - 1]) << 8);
    return received == modbusCrc(frame.left(n - 2));
}
