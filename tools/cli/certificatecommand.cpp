#include "certificate.h"
#include "commands.h"
#include "journalreader.h"
#include "options.h"
#include "output.h"

#include <QFileInfo>

// The certificate is made from the journal alone: the detector's range and
// thresholds are in its block, which the command does not read, and the
// certificate says so rather than guess them.
int runCertificate(ModbusOperations &, const CliOptions &options)
{
    JournalRead read;
    QString path;
    if (const int status = readJournalOrFail(options, read, path))
        return status;
    Certificate certificate;
    certificate.language = options.language == "ru" ? CertificateLanguage::Russian : CertificateLanguage::English;
    const int months = options.months > 0 ? options.months : kDefaultCalibrationMonths;
    if (!certificateFromJournal(read.entries, options.serial, options.fromDate, months, certificate)) {
        const QString since = options.fromDate.isValid() ? " since " + options.fromDate.toString(Qt::ISODate) : "";
        return fail(ExitUsage, QString("no rows of serial number %1%2 in %3").arg(options.serial, since, path));
    }
    QString error;
    if (!writeCertificatePdf(certificate, options.output, error))
        return fail(ExitUsage, error);
    const int calibrations = certificate.calibrations.size();
    printLine(QString("certificate of serial number %1 (%2 calibration%3%4) from %5 written to %6")
                  .arg(certificate.detector.serialNumber)
                  .arg(calibrations)
                  .arg(calibrations == 1 ? "" : "s")
                  .arg(certificate.bump ? ", a bump test" : "")
                  .arg(QFileInfo(path).absoluteFilePath(), options.output));
    return ExitOk;
}
