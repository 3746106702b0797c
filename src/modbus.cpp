#include "modbus.h"

#include <QSerialPort>

Modbus::Modbus(QObject *parent) : QObject(parent), serialPort(new QSerialPort(this)) {}
Modbus::~Modbus() { closePort(); }
bool Modbus::openPort() { return false; }
void Modbus::closePort() {}
void Modbus::setSlaveAddress(quint8 address) { slaveAddress = address; }
quint16 Modbus::calculateCRC(const QByteArray &) { return 0xFFFF; }
bool Modbus::verifyCRC(const QByteArray &) { return false; }
QByteArray Modbus::sendRequest(const QByteArray &, int) { return {}; }
bool Modbus::writeSingleHoldingRegister(quint16, quint16) { return false; }
bool Modbus::writeHoldingRegisters(quint16, const QVector<quint16> &) { return false; }
QVector<quint16> Modbus::readHoldingRegisters(quint16, quint16) { return {}; }
QVector<quint16> Modbus::readInputRegisters(quint16, quint16) { return {}; }
