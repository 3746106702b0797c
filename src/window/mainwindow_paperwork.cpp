#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include "certificate.h"
#include "inifile.h"
#include "journalreader.h"
#include "language.h"
#include "registermodel.h"

using namespace RegisterModel;

// The engineer, the test gas cylinder and the calibration interval are
// entered once on the calibration tab and kept in the state file; every
// journal row and certificate takes them from there.

namespace {

const QDate kNoExpiry(2000, 1, 1);   // the date box's "not entered"

QString journalPathHere()
{
    return QDir::current().absoluteFilePath(kJournalFileName);
}

} // namespace

void MainWindow::showRememberedEntries()
{
    ui->engineerName->setText(remembered.engineer);
    ui->cylinderLot->setText(remembered.cylinderLot);
    const QDate expiry = QDate::fromString(remembered.cylinderExpiry, Qt::ISODate);
    ui->cylinderExpiry->setDate(expiry.isValid() ? expiry : kNoExpiry);
    ui->certificateMonths->setValue(remembered.certificateMonths > 0 ? remembered.certificateMonths
                                                                     : kDefaultCalibrationMonths);
    connect(ui->engineerName, &QLineEdit::textChanged, this, [](const QString &text) { remembered.engineer = text; });
    connect(ui->cylinderLot, &QLineEdit::textChanged, this, [](const QString &text) { remembered.cylinderLot = text; });
    connect(ui->cylinderExpiry, &QDateEdit::dateChanged, this, [](const QDate &date) {
        remembered.cylinderExpiry = date == kNoExpiry ? QString() : date.toString(Qt::ISODate);
    });
    connect(ui->certificateMonths, QOverload<int>::of(&QSpinBox::valueChanged), this,
            [](int months) { remembered.certificateMonths = months; });
}

// The thresholds as the detector's block was last read: what the visit left.
QStringList MainWindow::thresholdsAsLeft() const
{
    const ConnectionState &conn = session.connection();
    auto quantity = [&](double value) { return QString::number(value, 'f', conn.detectorDecimals); };
    const AlarmThresholds thresholds = session.detectorThresholds();
    QStringList lines;
    for (int n = 1; n <= 2; ++n) {
        const AlarmThreshold &t = thresholds[size_t(n - 1)];
        lines << tr("Порог %1: %2 %3, %4, гистерезис %5 %3")
                     .arg(n)
                     .arg(quantity(t.level), conn.detectorUnit, t.rising ? tr("по превышению") : tr("по понижению"),
                          quantity(t.hysteresis));
    }
    const AlarmThreshold &third = thresholds[2];
    lines << (third.on ? tr("Порог 3: %1 %2, гистерезис %3 %2")
                             .arg(quantity(third.level), conn.detectorUnit, quantity(third.hysteresis))
                       : tr("Порог 3: выключен"));
    return lines;
}

// The certificate is of the detector connected now, from its journal rows of
// the day of its last one, with its range and thresholds as last read.
void MainWindow::on_Certificate_clicked()
{
    const ConnectionState &conn = session.connection();
    if (!conn.blockRead()) {
        ui->calib_stat->setText(tr("Сертификат составляется для подключённого датчика: подключите его"));
        return;
    }
    JournalRead read;
    QString error;
    Certificate certificate;
    certificate.language =
        spokenLanguage() == Language::English ? CertificateLanguage::English : CertificateLanguage::Russian;
    const QString serial = QString::number(session.connectedSerial());
    if (!readJournal(journalPathHere(), read, error) ||
        !certificateFromJournal(read.entries, serial, QDate(), ui->certificateMonths->value(), certificate)) {
        ui->calib_stat->setText(tr("В журнале нет записей датчика %1: сертификату не из чего составиться").arg(serial));
        return;
    }
    certificate.range = QString("0–%1 %2").arg(decodeScaled(conn.detectorRange, conn.detectorScale), 0, 'f',
                                               conn.detectorDecimals).arg(conn.detectorUnit);
    certificate.thresholds = thresholdsAsLeft();
    const QString path = QFileDialog::getSaveFileName(this, tr("Сертификат"),
                                                      QDir(dir).filePath(tr("сертификат-%1.pdf").arg(serial)),
                                                      tr("PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    if (!writeCertificatePdf(certificate, path, error)) {
        QMessageBox::critical(nullptr, " ", tr("Сертификат не записан: %1").arg(error), QMessageBox::Ok);
        return;
    }
    ui->calib_stat->setText(tr("Сертификат записан: %1").arg(path));
}

// Said once a connection, when the block names the detector: a detector
// whose last calibration in the journal is overdue.
void MainWindow::tellCalibrationDue()
{
    if (dueTold)
        return;
    dueTold = true;
    JournalRead read;
    QString error;
    if (!readJournal(journalPathHere(), read, error))
        return;   // no journal here yet: nothing is known to be due
    const QString serial = QString::number(session.connectedSerial());
    const QDate today = QDate::currentDate();
    for (const DueDates &d : dueDates(read.entries, ui->certificateMonths->value(), kDefaultBumpDays, today)) {
        if (d.serialNumber != serial || !d.calibrationOverdue(today))
            continue;
        tell(d.lastCalibration.isValid()
                 ? tr("Калибровка датчика %1 просрочена: последняя %2, следующая была нужна до %3")
                       .arg(serial, d.lastCalibration.date().toString(Qt::ISODate),
                            d.calibrationDue.toString(Qt::ISODate))
                 : tr("В журнале нет выполненной калибровки датчика %1").arg(serial));
    }
}
