#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QMessageBox>

#include "customplotwidget.h"
#include "registermodel.h"

using namespace RegisterModel;

namespace {

// Dashes across the display: no concentration, rather than a number the
// detector did not send in that form.
void showNoConcentration(QLCDNumber *lcd)
{
    lcd->display(QString(lcd->digitCount(), '-'));
}

} // namespace

// A new connection may lead to another detector: nothing the window holds
// counts as its own until it has been read from it or imported for it.
// The gas names and the tabs' steps shown belong to the last connection too.
void MainWindow::forgetDetector()
{
    showNoConcentration(ui->lcdValue);
    ui->gaz_c->clear();
    ui->gaz_osn->clear();
    GazCalibrEnd();
    showCurrentTabIdle();
}

// The block in regHold was read complete from the connected detector.
void MainWindow::showDetectorBlock()
{
    conn.detectorBlock = QVector<quint16>(regHold, regHold + kDeviceWords);
    CtrlSetRegHold(regHold);
    CtrlSetRegHoldSerNum();
    if (!conn.mainGasActive)
        conn.targetGasName = conn.activeGasName;
    conn.blockIsDetectors = true;
    takeDetectorScale(regHold);
}

void MainWindow::takeDetectorScale(const quint16 *block)
{
    conn.detectorDecimals = decimalCount(block[FormatWord]);
    conn.detectorScale = scaleFactor(conn.detectorDecimals);
    conn.detectorRange = block[DisplayRangeWord];
    conn.detectorScaleKnown = true;
}

// What a write sent is what the detector now holds. A failed write may have
// reached it in part, so a decimal count it would have changed is no longer
// known: the live value waits for the next read or successful write.
void MainWindow::noteBlockWritten(bool written)
{
    if (written) {
        takeDetectorScale(regHold);
        return;
    }
    if (conn.detectorScaleKnown && decimalCount(regHold[FormatWord]) != conn.detectorDecimals) {
        conn.detectorScaleKnown = false;
        showNoConcentration(ui->lcdValue);
    }
}

// Until the block is this detector's, writing it would give the detector
// another one's addresses, serial number and scale, or the zeros of a fresh
// window; saving it would file them under its name.
bool MainWindow::blockReadyOrExplain()
{
    if (conn.blockIsDetectors)
        return true;
    QMessageBox::warning(nullptr, " ",
                         tr("Параметры ещё не прочитаны из подключённого датчика, записывать и сохранять "
                            "нечего. Чтение повторяется каждую секунду; можно также загрузить файл "
                            "настроек кнопкой «Импорт»."),
                         QMessageBox::Ok);
    return false;
}

// A gas switch writes the detector's own block back, so it needs one read on
// this connection; an import does not count.
bool MainWindow::detectorBlockOrExplain()
{
    if (conn.blockRead())
        return true;
    QMessageBox::warning(nullptr, " ",
                         tr("Параметры ещё не прочитаны из подключённого датчика, газ переключать нельзя. "
                            "Чтение повторяется каждую секунду."),
                         QMessageBox::Ok);
    return false;
}

// The span concentration goes out in the detector's own decimal count.
bool MainWindow::detectorScaleOrExplain()
{
    if (conn.detectorScaleKnown)
        return true;
    ui->calib_stat->setText(tr("Параметры датчика ещё не прочитаны, концентрация не отправлена"));
    return false;
}

void MainWindow::showConcentration(quint16 stored)
{
    if (!conn.detectorScaleKnown) {
        showNoConcentration(ui->lcdValue);
        return;
    }
    const double concentration = decodeScaled(stored, conn.detectorScale);
    ui->lcdValue->display(concentration);
    plot->upperBound = decodeScaledSingle(conn.detectorRange, conn.detectorScale);
    plot->AddPnt(concentration, xPos);
    ++xPos;
}
