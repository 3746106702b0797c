#include "modbusoperations.h"
#include "gasnames.h"
#include "modbus.h"

namespace {

namespace Address {
const quint16 inputValues = 0x0100;
const quint16 gasNameTable = 0x0180;
const quint16 holdingBlock = 0x0000;
const quint16 holdingSecondHalf = 0x0060;
const quint16 modbusAddress = 0x0001;
const quint16 mode = 0x0003;
const quint16 command = 0x000C;
const quint16 calibValue = 0x000D;
const quint16 ioutValue = 0x0011;
} // namespace Address

namespace Command {
const quint16 calibZero = 0x185D;
const quint16 calibSpan = 0x64C4;
const quint16 calibSave = 0x7294;
const quint16 iout4maStart = 0x5530;
const quint16 iout20maStart = 0x55C3;
const quint16 ioutTestStart = 0x3535;
const quint16 ioutTestStop = 0x0000;
} // namespace Command

const quint16 serviceModeValue = 0x0080;
const quint16 workingModeValue = 0x0000;

const quint16 inputValuesCount = 80;
const quint16 inputValuesAllCount = 112;
// The holding block travels in two requests, as the detector expects.
const quint16 holdingFirstHalfCount = 96;
const quint16 holdingSecondHalfCount = 84;
const quint16 identityCount = 22;
const int gasNameBlocks = 4;

} // namespace

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

bool ModbusOperations::portErrorIsPermission() const
{
    return master->openRefused();
}

QString ModbusOperations::lastFailure() const
{
    return master->lastFailure();
}

void ModbusOperations::beginRound()
{
    master->beginRound();
}

QVector<quint16> ModbusOperations::readInputValues()
{
    return master->readInputRegisters(Address::inputValues, inputValuesCount);
}

QVector<quint16> ModbusOperations::readInputValuesAll()
{
    return master->readInputRegisters(Address::inputValues, inputValuesAllCount);
}

QVector<quint16> ModbusOperations::readHOLDregs()
{
    QVector<quint16> block = master->readHoldingRegisters(Address::holdingBlock, holdingFirstHalfCount);
    block += master->readHoldingRegisters(Address::holdingSecondHalf, holdingSecondHalfCount);
    return block;
}

QVector<quint16> ModbusOperations::readIdentity()
{
    return master->readHoldingRegisters(Address::holdingBlock, identityCount);
}

QVector<QString> ModbusOperations::readGazNameTable()
{
    QVector<QString> names;
    for (int i = 0; i < gasNameBlocks; ++i) {
        const quint16 start = static_cast<quint16>(Address::gasNameTable + i * gasNameBlockWords);
        const QVector<quint16> block = master->readInputRegisters(start, gasNameBlockWords);
        // A block that failed leaves no gap: the later names move up.
        if (block.size() == gasNameBlockWords)
            names += decodeGasNameBlock(block);
    }
    return names;
}

bool ModbusOperations::setServiceMode()
{
    return master->writeSingleHoldingRegister(Address::mode, serviceModeValue);
}

bool ModbusOperations::setWorkingMode()
{
    return master->writeSingleHoldingRegister(Address::mode, workingModeValue);
}

bool ModbusOperations::setCalibZero()
{
    return master->writeSingleHoldingRegister(Address::command, Command::calibZero);
}

bool ModbusOperations::setCalibValue(quint16 value)
{
    // A value the detector did not take is not followed by the command, or
    // it would calibrate on its old value.
    if (!master->writeSingleHoldingRegister(Address::calibValue, value))
        return false;
    return master->writeSingleHoldingRegister(Address::command, Command::calibSpan);
}

bool ModbusOperations::setModbusAddress(quint16 word1)
{
    return master->writeSingleHoldingRegister(Address::modbusAddress, word1);
}

bool ModbusOperations::CalibrSave()
{
    return master->writeSingleHoldingRegister(Address::command, Command::calibSave);
}

bool ModbusOperations::IoutCalib_4maStart()
{
    return master->writeSingleHoldingRegister(Address::command, Command::iout4maStart);
}

bool ModbusOperations::IoutCalib_20maStart()
{
    return master->writeSingleHoldingRegister(Address::command, Command::iout20maStart);
}

bool ModbusOperations::IoutCalibValueSet(quint16 value)
{
    return master->writeSingleHoldingRegister(Address::ioutValue, value);
}

bool ModbusOperations::IoutTestStart()
{
    return master->writeSingleHoldingRegister(Address::command, Command::ioutTestStart);
}

bool ModbusOperations::IoutTestStop()
{
    return master->writeSingleHoldingRegister(Address::command, Command::ioutTestStop);
}

bool ModbusOperations::writeHOLDregs(const QVector<quint16> &block)
{
    mixedBlock = false;
    if (!master->writeHoldingRegisters(Address::holdingBlock, block.mid(0, holdingFirstHalfCount)))
        return false;
    mixedBlock = !master->writeHoldingRegisters(Address::holdingSecondHalf, block.mid(holdingFirstHalfCount));
    return !mixedBlock;
}
