#ifndef RTUFRAMES_H
#define RTUFRAMES_H

#include <QByteArray>
#include <QVector>

// Modbus exception codes (Modbus Application Protocol, section 7).
enum ExceptionCode : quint8 {
    IllegalFunction = 0x01,
    IllegalDataAddress = 0x02,
    IllegalDataValue = 0x03,
    SlaveDeviceFailure = 0x04,
};

// The length a request frame will have once complete, judged from the bytes
// received so far: > 0 the full length, 0 not enough bytes yet to tell, -1 a
// function whose length is unknown here (only silence on the line ends it).
int requestFrameLength(const QByteArray &received);

struct Request
{
    quint8 slave = 0;
    quint8 function = 0;
    quint16 address = 0;
    quint16 count = 0;          // registers; 1 for 0x06
    quint8 byteCount = 0;       // 0x10 only
    QVector<quint16> values;    // 0x06: the value; 0x10: the values carried
    bool knownLayout = false;   // one of 0x03, 0x04, 0x06, 0x10 with its full length
};

// Reads the fields of a frame whose CRC has been checked.
Request parseRequest(const QByteArray &frame);

// The register side of a slave, as the protocol needs it.
class RegisterSpace
{
public:
    virtual ~RegisterSpace() = default;
    virtual bool holdingExists(int address, int count) const = 0;
    virtual bool inputExists(int address, int count) const = 0;
    virtual QVector<quint16> readHolding(int address, int count) = 0;
    virtual QVector<quint16> readInput(int address, int count) = 0;
    // Carries out a write; returns 0 or the exception code refusing it.
    virtual quint8 writeHolding(int address, const QVector<quint16> &values, bool single) = 0;
};

// The answer PDU (function code and data, no address, no CRC) for a request,
// an exception PDU where the request is refused. The checks follow the
// Modbus standard's order: function, quantity, address, then the write itself.
QByteArray answerPdu(const Request &request, RegisterSpace &registers);

QByteArray exceptionPdu(quint8 function, quint8 code);

// Address, PDU and CRC.
QByteArray makeAdu(quint8 slave, const QByteArray &pdu);

bool crcMatches(const QByteArray &frame);

#endif // RTUFRAMES_H
