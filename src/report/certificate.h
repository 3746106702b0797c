#ifndef CERTIFICATE_H
#define CERTIFICATE_H

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

#include "calibrationjournal.h"

// A calibration certificate for one detector's visit: made from its journal
// rows, and from its parameter block where the maker has it at hand, written
// as a PDF by Qt's own writer. The window and zorvel-cli make it alike.

enum class CertificateLanguage { Russian, English };

struct Certificate
{
    CertificateLanguage language = CertificateLanguage::Russian;
    JournalEntry detector;          // identity from the visit's latest row
    // From the detector's block, as shown ("0-100 %НКПР", "Порог 1: 20.0 %НКПР
    // по превышению"); empty when the block was not read.
    QString range;
    QStringList thresholds;
    QVector<JournalEntry> calibrations;   // the visit's zero and span calibrations, oldest first
    std::optional<JournalEntry> bump;     // the visit's last bump test
    QDate date;                           // of the visit
    QString engineer;
    int months = 0;                       // the calibration interval
    QDate nextDue;                        // null when no calibration of the visit was done
};

// The visit of the detector with that serial number: its rows from `from`
// on, or, with a null `from`, from the day of its last row. False when the
// journal has no row of it then.
bool certificateFromJournal(const QVector<JournalEntry> &entries, const QString &serial, const QDate &from,
                            int months, Certificate &certificate);

// The certificate as the HTML the PDF is laid out from.
QString certificateHtml(const Certificate &certificate);

// Writes the PDF (A4) whole or not at all; false with the reason in error.
bool writeCertificatePdf(const Certificate &certificate, const QString &path, QString &error);

#endif // CERTIFICATE_H
