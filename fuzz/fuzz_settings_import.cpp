// The settings-file import path, from the file's bytes to the controls: the
// content is decoded as Import does (each input both as it is and made a
// whole file) and shown with CtrlSetRegHold in one
// window that lives for the whole run, as it would across many imports.
// Every control must stay within its bounds, and encoding the controls
// again must give every field back within its width: unchanged where the
// control can show the stored value, the control's bound where it cannot,
// and no word touched that no control stands for.
#include "fuzzinput.h"
#include "mainwindowprobe.h"
#include "registermodel.h"
#include "settingsfile.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QSpinBox>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <set>

using namespace RegisterModel;

namespace {

MainWindow *window = nullptr;

enum class Part { Word, Level15, LowByte, HighByte, Joined32, Current };

// One control and the field of the block it shows.
struct Field
{
    QDoubleSpinBox *box;
    int word;
    Part part;
    quint32 fieldMax;
};

quint32 stored(const quint16 *block, const Field &f)
{
    switch (f.part) {
    case Part::Level15: return level15(block[f.word]);
    case Part::LowByte: return lowByte(block[f.word]);
    case Part::HighByte: return highByte(block[f.word]);
    case Part::Joined32: return joinWords(block[Point20maHighWord], block[Point20maLowWord]);
    case Part::Word:
    case Part::Current: return block[f.word];
    }
    return 0;
}

QVector<Field> fields(Ui_MainWindow *ui)
{
    return {
        {ui->i_init, InitCurrentWord, Part::Current, kWordMax},
        {ui->i_serv, ServiceCurrentWord, Part::Current, kWordMax},
        {ui->deadZone, DeadZoneWord, Part::Word, kWordMax},
        {ui->valueHigh, DisplayRangeWord, Part::Word, kWordMax},
        {ui->magCalib, MagneticCalibrationWord, Part::Word, kWordMax},
        {ui->point20ma, Point20maLowWord, Part::Joined32, kPoint20maMax},
        {ui->limit1_level, Threshold1Word, Part::Level15, kLevelMax},
        {ui->limit1_hyst, Hysteresis12Word, Part::LowByte, kHysteresisMax},
        {ui->limit2_level, Threshold2Word, Part::Level15, kLevelMax},
        {ui->limit2_hyst, Hysteresis12Word, Part::HighByte, kHysteresisMax},
        {ui->limit3_level, Threshold3LevelWord, Part::Word, kWordMax},
        {ui->limit3_hyst, Threshold3HysteresisWord, Part::LowByte, kHysteresisMax},
    };
}

void checkControlsInBounds()
{
    for (const QDoubleSpinBox *box : window->findChildren<QDoubleSpinBox *>()) {
        FUZZ_CHECK(std::isfinite(box->value()));
        FUZZ_CHECK(box->minimum() <= box->value() && box->value() <= box->maximum());
    }
    for (const QSpinBox *box : window->findChildren<QSpinBox *>())
        FUZZ_CHECK(box->minimum() <= box->value() && box->value() <= box->maximum());
    for (const QComboBox *combo : window->findChildren<QComboBox *>())
        FUZZ_CHECK(combo->currentIndex() >= -1 && combo->currentIndex() < combo->count());
}

// What encoding the control must give for the stored value: the value itself
// when the control can show it, else the nearest bound it can show.
quint32 expectedField(quint32 value, const Field &f, quint16 scale)
{
    const quint16 unit = f.part == Part::Current ? kCurrentScale : scale;
    const double shown = double(value) / unit;
    if (shown >= f.box->minimum() && shown <= f.box->maximum())
        return value;
    const double bound = shown < f.box->minimum() ? f.box->minimum() : f.box->maximum();
    return encodeScaled(bound, unit, f.fieldMax);
}

void checkEncodedAgain(const quint16 *imported, MainWindowProbe &probe, const QString &targetBefore)
{
    std::vector<quint16> again(imported, imported + kSettingsWords);
    probe.MemSetRegHold(again.data());

    std::set<int> shownWords{GasNameWord, GasNameWord + 1, GasNameWord + 2, GasNameWord + 3,
                             GasNameWord + 4, GasNameWord + 5, GasNameWord + 6, GasNameWord + 7,
                             Point20maHighWord};
    for (const Field &f : fields(probe.ui())) {
        shownWords.insert(f.word);
        const quint32 value = stored(again.data(), f);
        FUZZ_CHECK(value <= f.fieldMax);
        FUZZ_CHECK(value == expectedField(stored(imported, f), f, probe.scale()));
    }
    // The direction and switch bits ride along with the levels unchanged.
    for (const int word : {int(Threshold1Word), int(Threshold2Word), int(Threshold3SwitchWord)}) {
        shownWords.insert(word);
        FUZZ_CHECK((again[word] & 0x8000) == (imported[word] & 0x8000));
        if (word == Threshold3SwitchWord)
            FUZZ_CHECK(again[word] == imported[word]);
    }
    for (int i = 0; i < kSettingsWords; ++i) {
        if (!shownWords.count(i))
            FUZZ_CHECK(again[i] == imported[i]);
    }

    // The gas name goes back as its text, filled up with NUL bytes. The
    // target gas is only ever the detector's own, so a file leaves it be.
    const QString name = decodeText(imported + GasNameWord, kGasNameBytes);
    FUZZ_CHECK(name.size() <= kGasNameBytes);
    FUZZ_CHECK(probe.activeGasName() == name && probe.targetGasName() == targetBefore);
    FUZZ_CHECK(decodeText(again.data() + GasNameWord, kGasNameBytes) == name);
}

void checkDecimals(const quint16 *imported, MainWindowProbe &probe)
{
    const quint8 decimals = decimalCount(imported[FormatWord]);
    FUZZ_CHECK(probe.decimals() == decimals && decimals <= 3);
    FUZZ_CHECK(probe.scale() == scaleFactor(decimals));
    for (const Field &f : fields(probe.ui())) {
        if (f.part != Part::Current)
            FUZZ_CHECK(f.box->decimals() == decimals);
    }
    FUZZ_CHECK(probe.ui()->CalibrValue->decimals() == decimals);
}


// Less than a whole settings file is refused and changes nothing.
void checkRefused(const QByteArray &content, quint16 *block)
{
    const std::vector<quint16> before(block, block + kSettingsWords);
    FUZZ_CHECK(!decodeSettings(content, block));
    FUZZ_CHECK(std::equal(before.begin(), before.end(), block));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    silenceQtMessages();
    // The window reads "ini" from the working directory: give it an empty one.
    static QTemporaryDir scratch;
    QDir::setCurrent(scratch.path());
    static QApplication app(*argc, *argv);
    window = new MainWindow;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    MainWindowProbe probe(*window);
    quint16 *block = probe.regHold();
    QByteArray content(reinterpret_cast<const char *>(data), int(size));
    // Import reads at most 512 bytes, so only a shorter file is refused.
    if (content.size() < kSettingsFileSize)
        checkRefused(content, block);
    // Every input also goes through as a whole file, so that the fuzzer
    // need not find the one accepted size before it reaches the controls.
    content = content.leftJustified(kSettingsFileSize, '\0', true);
    FUZZ_CHECK(decodeSettings(content, block));
    FUZZ_CHECK(encodeSettings(block) == content);

    const std::vector<quint16> imported(block, block + kSettingsWords);
    const QString targetBefore = probe.targetGasName();
    probe.CtrlSetRegHold(block);
    checkControlsInBounds();
    checkDecimals(imported.data(), probe);
    checkEncodedAgain(imported.data(), probe, targetBefore);

    // A reload also shows the device settings from the same words.
    probe.CtrlSetRegHoldSerNum();
    checkControlsInBounds();
    Ui_MainWindow *ui = probe.ui();
    FUZZ_CHECK(ui->sbMB_AdrSet->value() == highByte(imported[ModbusAddressWord]));
    FUZZ_CHECK(ui->sbMB_AdrHART->value() == hartAddress(imported[HartAddressWord]));
    const int ble = bleMode(imported[FormatWord]);
    FUZZ_CHECK(ui->cBLE->currentIndex() == (ble < ui->cBLE->count() ? ble : -1));
    return 0;
}
