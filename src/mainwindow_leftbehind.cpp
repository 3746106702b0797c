#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QStatusBar>
#include <QStringList>

#include "registermodel.h"

using namespace RegisterModel;

namespace {

// The key of a detector whose block was never read on its connection: it
// cannot be recognised again, so it is only ever mentioned.
const qint64 kUnknownSerial = -1;

QString whatIsLeft(const LeftInDetector &left)
{
    QStringList parts;
    if (left.currentForced)
        parts << MainWindow::tr("тест или калибровка токового выхода");
    if (left.serviceMode)
        parts << MainWindow::tr("сервисный режим калибровки по газу");
    if (!left.targetGas.isEmpty())
        parts << MainWindow::tr("основной газ вместо %1").arg(left.targetGas);
    return parts.join("; ");
}

QString detectorName(qint64 serial)
{
    if (serial == kUnknownSerial)
        return MainWindow::tr("с непрочитанным серийным номером");
    return MainWindow::tr("№ %1").arg(serial);
}

} // namespace

qint64 MainWindow::connectedSerial() const
{
    if (!conn.blockRead())
        return kUnknownSerial;
    return joinWords(conn.detectorBlock[SerialHighWord], conn.detectorBlock[SerialLowWord]);
}

// A connection that ends while the window holds its detector in a temporary
// state leaves it there: the user is told, and the window keeps what it owes
// the detector until it meets that serial number again.
void MainWindow::rememberWhatIsLeft()
{
    LeftInDetector left;
    left.currentForced = conn.currentForced;
    left.serviceMode = conn.calibrationForced;
    if (conn.mainGasActive)
        left.targetGas = conn.targetGasName;
    if (!left.any())
        return;
    const qint64 serial = connectedSerial();
    LeftInDetector &kept = leftInDetectors[serial];
    kept.currentForced = kept.currentForced || left.currentForced;
    kept.serviceMode = kept.serviceMode || left.serviceMode;
    if (!left.targetGas.isEmpty())
        kept.targetGas = left.targetGas;
    tell(tr("Связь с датчиком %1 прервалась, в нём осталось: %2. При следующем подключении к нему "
            "программа это отменит.")
             .arg(detectorName(serial), whatIsLeft(kept)));
}

// Once the block of a new connection has been read: the same detector gets
// back what was left in it, and another one hears nothing of it.
void MainWindow::settleWhatWasLeft()
{
    if (leftInDetectors.isEmpty())
        return;
    const qint64 serial = connectedSerial();
    QStringList told;
    if (leftInDetectors.contains(serial)) {
        const LeftInDetector left = leftInDetectors.take(serial);
        undoWhatWasLeft(left);
        told << tr("Датчик %1 снова на связи, программа отменяет оставленное прерванной связью: %2.")
                    .arg(detectorName(serial), whatIsLeft(left));
    }
    for (auto other = leftInDetectors.cbegin(); other != leftInDetectors.cend(); ++other)
        told << tr("Датчик %1 может всё ещё оставаться в состоянии, оставленном прерванной связью: %2.")
                    .arg(detectorName(other.key()), whatIsLeft(other.value()));
    tell(told.join(' '));
}

// Test stop then working mode, and the target gas back, as at an orderly end.
void MainWindow::undoWhatWasLeft(const LeftInDetector &left)
{
    if (left.currentForced) {
        conn.currentForced = true;
        conn.reqTestStop = true;
    }
    if (left.serviceMode) {
        conn.calibrationForced = true;
        conn.reqWorkingMode = true;
    }
    if (!left.targetGas.isEmpty()) {
        conn.mainGasActive = true;
        conn.targetGasName = left.targetGas;
        GazReturnToCelevoy();
    }
}

// The status bar keeps the text until the next one: it stays readable after
// a disconnect, when the tabs are disabled. A text too long for the window
// is whole in the tooltip.
void MainWindow::tell(const QString &text)
{
    statusBar()->showMessage(text);
    statusBar()->setToolTip(text);
}
