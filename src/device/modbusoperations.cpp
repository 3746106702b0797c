#include "modbusoperations.h"
#include "gasnames.h"
#include "modbus.h"
#include "registermap.h"

using namespace RegisterModel;

ModbusOperations::ModbusOperations(QObject *parent) : QObject(parent), master(new Modbus(this)) {}

void ModbusOperations::setNamePort(QString text)
{
    // A port list entry reads "name (manufacturer)".
    master->portName = text.left(text.indexOf(QLatin1Char(' ')));
}

void ModbusOperations::setPortPath(const QString &path)
{
    master->portName = path;
}

void ModbusOperations::setSlaveAddress(quint8 address)
{
    master->setSlaveAddress(address);
}

bool ModbusOperations::open()
{
    return master->openPort();
}

void ModbusOperations::close()
{
    master->closePort();
}

bool ModbusOperations::isOpen() const
{
    return master->isOpen();
}

void ModbusOperations::setReadTimeout(int ms)
{
    master->setReadTimeout(ms);
}

QString ModbusOperations::portError() const
{
    return master->errorString();
}

PortOpenFailure ModbusOperations::openFailure() const
{
    return master->openFailure();
}

ExchangeOutcome ModbusOperations::lastOutcome() const
{
    return master->lastOutcome();
}

void ModbusOperations::beginRound()
{
    master->beginRound();
}

QVector<quint16> ModbusOperations::readInputValues()
{
    return master->readInputRegisters(Address::kInputValues, kPolledInputWords);
}

QVector<quint16> ModbusOperations::readInputValuesAll()
{
    return master->readInputRegisters(Address::kInputValues, kFullInputWords);
}

void ModbusOperations::noteShortPart(int words, int wanted)
{
    if (words != wanted && shortRead.taken())
        shortRead = master->lastOutcome();
}

QVector<quint16> ModbusOperations::readHOLDregs()
{
    shortRead = ExchangeOutcome();
    QVector<quint16> block = master->readHoldingRegisters(Address::kHoldingBlock, Address::kHoldingFirstHalfWords);
    noteShortPart(block.size(), Address::kHoldingFirstHalfWords);
    const QVector<quint16> second =
        master->readHoldingRegisters(Address::kHoldingSecondHalf, Address::kHoldingSecondHalfWords);
    noteShortPart(second.size(), Address::kHoldingSecondHalfWords);
    return block + second;
}

QVector<quint16> ModbusOperations::readIdentity()
{
    return master->readHoldingRegisters(Address::kHoldingBlock, kIdentityWords);
}

QVector<QString> ModbusOperations::readGazNameTable()
{
    shortRead = ExchangeOutcome();
    QVector<QString> names;
    for (int i = 0; i < Address::kGasNameTableBlocks; ++i) {
        const quint16 start = static_cast<quint16>(Address::kGasNameTable + i * gasNameBlockWords);
        const QVector<quint16> block = master->readInputRegisters(start, gasNameBlockWords);
        noteShortPart(block.size(), gasNameBlockWords);
        // A block that failed leaves no gap: the later names move up.
        if (block.size() == gasNameBlockWords)
            names += decodeGasNameBlock(block);
    }
    return names;
}

QVector<quint16> ModbusOperations::readStatusWord()
{
    return master->readInputRegisters(quint16(Address::kInputValues + StatusWord), 1);
}

// A calibration value whose answer was lost is read back before anything
// follows it: the detector holds it, or the save must not go.
ExchangeOutcome ModbusOperations::writeValueWord(quint16 word, quint16 value)
{
    const ExchangeOutcome written = master->writeSingleHoldingRegister(word, value);
    if (!written.unknown())
        return written;
    if (master->readHoldingRegisters(word, 1) == QVector<quint16>{value})
        return ExchangeOutcome::answered("lost answer, value read back");
    return written;
}

ExchangeOutcome ModbusOperations::setServiceMode()
{
    return master->writeSingleHoldingRegister(quint16(ModeRegisterWord), kServiceModeValue);
}

ExchangeOutcome ModbusOperations::setWorkingMode()
{
    return master->writeSingleHoldingRegister(quint16(ModeRegisterWord), kWorkingModeValue);
}

ExchangeOutcome ModbusOperations::setCalibZero()
{
    return master->writeSingleHoldingRegister(quint16(CommandWord), CmdZeroCalibrationStart);
}

ExchangeOutcome ModbusOperations::setCalibValue(quint16 value)
{
    // A value the detector did not take is not followed by the command, or
    // it would calibrate on its old value.
    const ExchangeOutcome valueTaken = writeValueWord(quint16(SpanConcentrationWord), value);
    if (!valueTaken)
        return valueTaken;
    return master->writeSingleHoldingRegister(quint16(CommandWord), CmdSpanValueTake);
}

ExchangeOutcome ModbusOperations::setModbusAddress(quint16 word1)
{
    return master->writeSingleHoldingRegister(quint16(ModbusAddressWord), word1);
}

ExchangeOutcome ModbusOperations::CalibrSave()
{
    return master->writeSingleHoldingRegister(quint16(CommandWord), CmdCalibrationSave);
}

ExchangeOutcome ModbusOperations::IoutCalib_4maStart()
{
    return master->writeSingleHoldingRegister(quint16(CommandWord), CmdIout4maStart);
}

ExchangeOutcome ModbusOperations::IoutCalib_20maStart()
{
    return master->writeSingleHoldingRegister(quint16(CommandWord), CmdIout20maStart);
}

ExchangeOutcome ModbusOperations::IoutCalibValueSet(quint16 value)
{
    return writeValueWord(quint16(CurrentSetValueWord), value);
}

ExchangeOutcome ModbusOperations::IoutTestStart()
{
    return master->writeSingleHoldingRegister(quint16(CommandWord), CmdIoutTestStart);
}

ExchangeOutcome ModbusOperations::IoutTestStop()
{
    return master->writeSingleHoldingRegister(quint16(CommandWord), CmdIoutTestStop);
}

ExchangeOutcome ModbusOperations::writeHOLDregs(const QVector<quint16> &block)
{
    mixedBlock = false;
    const ExchangeOutcome first = master->writeHoldingRegisters(Address::kHoldingBlock, block.mid(0, Address::kHoldingFirstHalfWords));
    if (!first)
        return first;
    const ExchangeOutcome second = master->writeHoldingRegisters(Address::kHoldingSecondHalf, block.mid(Address::kHoldingFirstHalfWords));
    mixedBlock = !second;
    return second;
}
