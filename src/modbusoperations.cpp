#include "modbusoperations.h"
#include "modbus.h"

ModbusOperations::ModbusOperations(QObject *parent) : QObject(parent), master(new Modbus(this)) {}
void ModbusOperations::setNamePort(QString) {}
void ModbusOperations::setSlaveAddress(quint8) {}
bool ModbusOperations::open() { return false; }
void ModbusOperations::close() {}
QVector<quint16> ModbusOperations::readInputValues() { return {}; }
QVector<quint16> ModbusOperations::readInputValuesAll() { return {}; }
QVector<quint16> ModbusOperations::readHOLDregs() { return {}; }
QVector<QString> ModbusOperations::readGazNameTable() { return {}; }
bool ModbusOperations::setServiceMode() { return false; }
bool ModbusOperations::setWorkingMode() { return false; }
bool ModbusOperations::setCalibZero() { return false; }
bool ModbusOperations::setCalibValue(quint16) { return false; }
bool ModbusOperations::CalibrSave() { return false; }
bool ModbusOperations::IoutCalib_4maStart() { return false; }
bool ModbusOperations::IoutCalib_20maStart() { return false; }
bool ModbusOperations::IoutCalibValueSet(quint16) { return false; }
bool ModbusOperations::IoutTestStart() { return false; }
bool ModbusOperations::IoutTestStop() { return false; }
bool ModbusOperations::writeHOLDregs(const QVector<quint16> &) { return false; }
