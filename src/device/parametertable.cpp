#include "parametertable.h"

#include "registermodel.h"

#include <algorithm>

namespace RegisterModel {

namespace {

using K = ParamKind;
using R = ParamRole;
const int none = -1;
const bool identity = true;
const bool clears = true;

int shiftOf(quint16 mask)
{
    int shift = 0;
    while (mask != 0 && !(mask & (1u << shift)))
        ++shift;
    return shift;
}

} // namespace

const QVector<Parameter> &parameterTable()
{
    // name, kind, role, word, mask, high word, control, identity, clears word
    static const QVector<Parameter> table = {
        {"device type", K::DeviceType, R::Property, DeviceTypeWord, 0xFF00, none, "TypeDev", false, false},
        {"Modbus address", K::Number, R::Device, ModbusAddressWord, 0xFF00, none, "sbMB_AdrSet", identity, false},
        {"HART address", K::Number, R::Device, HartAddressWord, 0x007F, none, "sbMB_AdrHART", identity, false},
        {"mode register", K::State, R::Hidden, ModeRegisterWord, 0xFFFF, none, nullptr, false, false},
        {"unit", K::Unit, R::Property, FormatWord, 0x0070, none, "unit", false, false},
        {"decimals", K::Decimals, R::Property, FormatWord, 0x0300, none, nullptr, false, false},
        {"BLE", K::BleMode, R::Device, FormatWord, 0xC000, none, "cBLE", false, false},
        {"display range", K::Scaled, R::Block, DisplayRangeWord, 0xFFFF, none, "valueHigh", false, false},
        {"threshold 1 direction", K::Direction, R::Block, Threshold1Word, 0x8000, none, "limit1_opt", false, false},
        {"threshold 1 level", K::Scaled, R::Block, Threshold1Word, 0x7FFF, none, "limit1_level", false, false},
        {"threshold 1 hysteresis", K::Scaled, R::Block, Hysteresis12Word, 0x00FF, none, "limit1_hyst", false, false},
        {"threshold 2 direction", K::Direction, R::Block, Threshold2Word, 0x8000, none, "limit2_opt", false, false},
        {"threshold 2 level", K::Scaled, R::Block, Threshold2Word, 0x7FFF, none, "limit2_level", false, false},
        {"threshold 2 hysteresis", K::Scaled, R::Block, Hysteresis12Word, 0xFF00, none, "limit2_hyst", false, false},
        {"command register", K::State, R::Hidden, CommandWord, 0xFFFF, none, nullptr, false, false},
        {"span gas concentration", K::Scaled, R::Calibration, SpanConcentrationWord, 0xFFFF, none, "CalibrValue",
         false, false},
        {"magnetic calibration", K::Scaled, R::Block, MagneticCalibrationWord, 0xFFFF, none, "magCalib", false, false},
        {"initialisation current", K::Current, R::Block, InitCurrentWord, 0xFFFF, none, "i_init", false, false},
        {"service mode current", K::Current, R::Block, ServiceCurrentWord, 0xFFFF, none, "i_serv", false, false},
        {"current output set value", K::Current, R::Hidden, CurrentSetValueWord, 0xFFFF, none, nullptr, false, false},
        {"dead zone", K::Scaled, R::Block, DeadZoneWord, 0xFFFF, none, "deadZone", false, false},
        {"serial number", K::Number, R::Device, SerialLowWord, 0xFFFF, SerialHighWord, "SerialNumDev", identity,
         false},
        {"gas name", K::Text, R::Block, GasNameWord, 0xFFFF, none, nullptr, false, false},
        {"20 mA point", K::Scaled, R::Block, Point20maLowWord, 0xFFFF, Point20maHighWord, "point20ma", false, false},
        {"threshold 3", K::Switch, R::Block, Threshold3SwitchWord, 0x8000, none, "limit3_opt", false, false},
        {"threshold 3 level", K::Scaled, R::Block, Threshold3LevelWord, 0xFFFF, none, "limit3_level", false, false},
        // The window has always written this word whole, its high byte as 0.
        {"threshold 3 hysteresis", K::Scaled, R::Block, Threshold3HysteresisWord, 0x00FF, none, "limit3_hyst", false,
         clears},
    };
    return table;
}

quint32 storedValue(const Parameter &parameter, const quint16 *block)
{
    if (parameter.highWord != none)
        return joinWords(block[parameter.highWord], block[parameter.word]);
    return quint32(block[parameter.word] & parameter.mask) >> shiftOf(parameter.mask);
}

void setStoredValue(const Parameter &parameter, quint16 *block, quint32 value)
{
    value = std::min(value, fieldMaximum(parameter));
    if (parameter.highWord != none) {
        block[parameter.word] = lowHalf(value);
        block[parameter.highWord] = highHalf(value);
        return;
    }
    const quint16 kept = parameter.clearsWord ? 0 : quint16(block[parameter.word] & ~parameter.mask);
    block[parameter.word] = quint16(kept | ((value << shiftOf(parameter.mask)) & parameter.mask));
}

quint32 storedValue(const char *name, const quint16 *block)
{
    for (const Parameter &parameter : parameterTable()) {
        if (qstrcmp(parameter.name, name) == 0)
            return storedValue(parameter, block);
    }
    return 0;
}

quint32 fieldMaximum(const Parameter &parameter)
{
    if (parameter.highWord != none)
        return 0xFFFFFFFFu;
    return quint32(parameter.mask) >> shiftOf(parameter.mask);
}

QVector<quint16> claimedBits()
{
    QVector<quint16> claimed(kDeviceWords, 0);
    for (const Parameter &parameter : parameterTable()) {
        const int words = parameter.kind == ParamKind::Text ? kGasNameBytes / 2 : 1;
        for (int i = 0; i < words; ++i)
            claimed[parameter.word + i] |= parameter.mask;
        if (parameter.highWord != none)
            claimed[parameter.highWord] = 0xFFFF;
    }
    return claimed;
}

} // namespace RegisterModel
