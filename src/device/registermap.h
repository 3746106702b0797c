#ifndef REGISTERMAP_H
#define REGISTERMAP_H

#include <QtGlobal>

// Where the detector keeps what: register addresses and counts, the
// positions of the words the program interprets, the command codes, the mode
// values and the status bits. The one map the device operations, the
// register model, the command line and the tests use. (The simulated
// detector keeps a copy of its own on purpose: it checks this one.)
namespace RegisterModel {

// Register addresses of the blocks the operations transfer.
namespace Address {
constexpr quint16 kHoldingBlock = 0x0000;
// The holding block travels in two requests, as the detector expects.
constexpr quint16 kHoldingSecondHalf = 0x0060;
constexpr quint16 kHoldingFirstHalfWords = 96;
constexpr quint16 kHoldingSecondHalfWords = 84;
constexpr quint16 kInputValues = 0x0100;
constexpr quint16 kGasNameTable = 0x0180;
constexpr int kGasNameTableBlocks = 4;
} // namespace Address

// Parameter block: words 0..179 are the device's holding registers, the rest
// exists only in the program and in settings files.
constexpr int kBlockWords = 256;
constexpr int kDeviceWords = 180;

// Positions in the parameter block.
enum ParamWord : int {
    DeviceTypeWord = 0,        // high byte: device type code
    ModbusAddressWord = 1,     // high byte: address to assign
    HartAddressWord = 2,       // bits 0..6
    ModeRegisterWord = 3,      // bit 7: service mode
    FormatWord = 4,            // unit, decimal count, BLE mode
    DisplayRangeWord = 6,
    Threshold1Word = 7,        // bit 15 direction, bits 0..14 level
    Threshold2Word = 8,
    Hysteresis12Word = 9,      // low byte threshold 1, high byte threshold 2
    CommandWord = 12,
    SpanConcentrationWord = 13,
    MagneticCalibrationWord = 14,
    InitCurrentWord = 15,
    ServiceCurrentWord = 16,
    CurrentSetValueWord = 17,
    DeadZoneWord = 18,
    SerialHighWord = 20,
    SerialLowWord = 21,
    GasNameWord = 32,          // 8 words, 16 bytes of text
    Point20maLowWord = 113,
    Point20maHighWord = 114,
    Threshold3SwitchWord = 125, // bit 15
    Threshold3LevelWord = 126,
    Threshold3HysteresisWord = 127 // low byte
};
constexpr int kGasNameBytes = 16;

// Input block: the polled 80 words from register 256, and the full 112.
constexpr int kPolledInputWords = 80;
constexpr int kFullInputWords = 112;
// Holding words 0..21, from the device type to the serial number: one short
// read that tells what answers at an address.
constexpr int kIdentityWords = 22;
enum InputWord : int {
    FirmwareMajorMinorWord = 3,
    FirmwareBuildWord = 4,
    StatusWord = 6,
    ConcentrationWord = 16,
    TargetGasNumberWord = 78,
    MainGasNumberWord = 79
};

// Status bits read on their own, besides the status text.
constexpr quint16 kStatusServiceMode = 0x0080;
constexpr quint16 kStatusZeroCalibration = 0x0100;
constexpr quint16 kStatusSpanCalibration = 0x0200;
// The alarm thresholds 1, 2 and 3 tripped: bits 1, 2 and 4 (bit 3 is the
// sensor fault).
constexpr quint16 kStatusThreshold[3] = {0x0002, 0x0004, 0x0010};
constexpr quint16 kStatusSensorFault = 0x0008;
constexpr quint16 kStatusInitialising = 0x0040;
constexpr quint16 kStatusFault = 0x0400;

// Mode register: bit 7 set is service mode, 0 is working mode.
constexpr quint16 kServiceModeBit = 0x0080;
constexpr quint16 kServiceModeValue = kServiceModeBit;
constexpr quint16 kWorkingModeValue = 0x0000;

// Values written to the command register.
enum Command : quint16 {
    CmdZeroCalibrationStart = 0x185D,
    CmdSpanValueTake = 0x64C4,
    CmdCalibrationSave = 0x7294,
    CmdIout4maStart = 0x5530,
    CmdIout20maStart = 0x55C3,
    CmdIoutTestStart = 0x3535,
    CmdIoutTestStop = 0x0000
};

} // namespace RegisterModel

#endif // REGISTERMAP_H
