#ifndef REGISTERMAP_H
#define REGISTERMAP_H

#include "options.h"

#include <QVector>

// Where things live in the detector's register areas.
namespace Reg {
const int holdingCount = 180;
const int inputBase = 256;
const int inputCount = 112;
const int gasTableBase = 384;
const int gasTableCount = 256;

// Holding registers.
const int deviceType = 0, modbusAddress = 1, hartAddress = 2, mode = 3, unitDecimals = 4;
const int displayRange = 6, threshold1 = 7, threshold2 = 8, hystereses12 = 9;
const int command = 12, spanConcentration = 13, magneticCalib = 14;
const int initCurrent = 15, serviceCurrent = 16, currentSetValue = 17, deadZone = 18;
const int serialHigh = 20, serialLow = 21, gasName = 32, gasNameWords = 8;
const int point20maLow = 113, point20maHigh = 114;
const int threshold3Switch = 125, threshold3Level = 126, threshold3Hysteresis = 127;

// Input words, counted from the first input register.
const int firmwareVersion = 3, firmwareBuild = 4, status = 6, temperature = 10;
const int supplyVoltage = 11, concentration = 16, outputCurrent = 18;
const int targetGas = 78, mainGas = 79;
} // namespace Reg

// Status word bits.
namespace Status {
const quint16 threshold1 = 0x0002, sensorFault = 0x0008, threshold2 = 0x0004;
const quint16 threshold3 = 0x0010, overRange = 0x0020, initialising = 0x0040;
const quint16 serviceMode = 0x0080, zeroCalibration = 0x0100, spanCalibration = 0x0200;
const quint16 fault = 0x0400;
} // namespace Status

const quint16 serviceModeBit = 0x0080;

// Command register codes.
namespace Command {
const quint16 zero = 0x185D, span = 0x64C4, save = 0x7294;
const quint16 current4ma = 0x5530, current20ma = 0x55C3, testStart = 0x3535, testStop = 0x0000;
} // namespace Command

QVector<quint16> initialHolding(const DetectorSettings &settings);
QVector<quint16> initialInput(const DetectorSettings &settings);
QVector<quint16> initialGasTable();

int scaleOf(int decimals);

#endif // REGISTERMAP_H
