#include "rtuframes.h"

#include "modbuscrc.h"

namespace {

quint16 word(const QByteArray &bytes, int at)
{
    return static_cast<quint16>((static_cast<quint8>(bytes[at]) << 8) | static_cast<quint8>(bytes[at + 1]));
}

void appendWord(QByteArray &bytes, quint16 value)
{
    bytes.append(static_cast<char>(value >> 8));
    bytes.append(static_cast<char>(value & 0xFF));
}

QByteArray readAnswer(quint8 function, const QVector<quint16> &words)
{
    QByteArray pdu;
    pdu.append(static_cast<char>(function));
    pdu.append(static_cast<char>(words.size() * 2));
    for (quint16 w : words)
        appendWord(pdu, w);
    return pdu;
}

} // namespace

int requestFrameLength(const QByteArray &received)
{
    if (received.size() < 2)
        return 0;
    switch (static_cast<quint8>(received[1])) {
    case 0x03:
    case 0x04:
    case 0x06:
        return 8;
    case 0x10:
        return received.size() < 7 ? 0 : 9 + static_cast<quint8>(received[6]);
    default:
        return -1;
    }
}

Request parseRequest(const QByteArray &frame)
{
    Request r;
    if (frame.size() < 2)
        return r;
    r.slave = static_cast<quint8>(frame[0]);
    r.function = static_cast<quint8>(frame[1]);
    const int n = frame.size();
    switch (r.function) {
    case 0x03:
    case 0x04:
        if (n != 8)
            return r;
        r.address = word(frame, 2);
        r.count = word(frame, 4);
        break;
    case 0x06:
        if (n != 8)
            return r;
        r.address = word(frame, 2);
        r.count = 1;
        r.values = {word(frame, 4)};
        break;
    case 0x10:
        if (n < 9 || n != 9 + static_cast<quint8>(frame[6]))
            return r;
        r.address = word(frame, 2);
        r.count = word(frame, 4);
        r.byteCount = static_cast<quint8>(frame[6]);
        for (int at = 7; at + 1 < n - 2; at += 2)
            r.values.append(word(frame, at));
        break;
    default:
        return r;
    }
    r.knownLayout = true;
    return r;
}

QByteArray exceptionPdu(quint8 function, quint8 code)
{
    QByteArray pdu;
    pdu.append(static_cast<char>(function | 0x80));
    pdu.append(static_cast<char>(code));
    return pdu;
}

QByteArray answerPdu(const Request &r, RegisterSpace &registers)
{
    if (!r.knownLayout)
        return exceptionPdu(r.function, IllegalFunction);
    switch (r.function) {
    case 0x03:
    case 0x04: {
        if (r.count < 1 || r.count > 125)
            return exceptionPdu(r.function, IllegalDataValue);
        const bool holding = r.function == 0x03;
        if (holding ? !registers.holdingExists(r.address, r.count)
                    : !registers.inputExists(r.address, r.count))
            return exceptionPdu(r.function, IllegalDataAddress);
        return readAnswer(r.function, holding ? registers.readHolding(r.address, r.count)
                                              : registers.readInput(r.address, r.count));
    }
    case 0x06: {
        if (!registers.holdingExists(r.address, 1))
            return exceptionPdu(r.function, IllegalDataAddress);
        if (const quint8 refused = registers.writeHolding(r.address, r.values, true))
            return exceptionPdu(r.function, refused);
        QByteArray pdu;
        pdu.append(static_cast<char>(r.function));
        appendWord(pdu, r.address);
        appendWord(pdu, r.values.first());
        return pdu;
    }
    case 0x10: {
        if (r.count < 1 || r.count > 123 || r.byteCount != 2 * r.count)
            return exceptionPdu(r.function, IllegalDataValue);
        if (!registers.holdingExists(r.address, r.count))
            return exceptionPdu(r.function, IllegalDataAddress);
        if (const quint8 refused = registers.writeHolding(r.address, r.values, false))
            return exceptionPdu(r.function, refused);
        QByteArray pdu;
        pdu.append(static_cast<char>(r.function));
        appendWord(pdu, r.address);
        appendWord(pdu, r.count);
        return pdu;
    }
    }
    return exceptionPdu(r.function, IllegalFunction);
}

QByteArray makeAdu(quint8 slave, const QByteArray &pdu)
{
    QByteArray adu;
    adu.append(static_cast<char>(slave));
    adu.append(pdu);
    appendModbusCrc(adu);
    return adu;
}

bool crcMatches(const QByteArray &frame)
{
    const int n = frame.size();
    if (n <= 2)
        return false;
    const quint16 received = static_cast<quint16>(static_cast<quint8>(frame[n - 2])
                                                  | (static_cast<quint8>(frame[n - 1]) << 8));
    return received == modbusCrc(frame.left(n - 2));
}
