#include "certificate.h"

#include "atomicfile.h"

#include <QBuffer>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

namespace {

// Each text in both languages: the command line has no translator loaded,
// and the certificate follows the language asked for, not the locale.
struct Words
{
    const char *russian;
    const char *english;
};

QString say(CertificateLanguage language, const Words &words)
{
    return QString::fromUtf8(language == CertificateLanguage::Russian ? words.russian : words.english);
}

const Words kTitle{"Сертификат калибровки газоанализатора", "Gas detector calibration certificate"};
const Words kDetector{"Датчик", "Detector"};
const Words kType{"Тип", "Type"};
const Words kSerial{"Заводской номер", "Serial number"};
const Words kFirmware{"Версия ПО", "Firmware"};
const Words kAddress{"Адрес Modbus", "Modbus address"};
const Words kGas{"Газ", "Gas"};
const Words kUnit{"Единица измерения", "Unit"};
const Words kRange{"Диапазон", "Range"};
const Words kThresholds{"Пороги после работ", "Thresholds as left"};
const Words kNotRead{"не прочитаны с датчика", "not read from the detector"};
const Words kCalibrations{"Калибровки", "Calibrations"};
const Words kNoCalibrations{"Калибровок по газу не было.", "No gas calibration was made."};
const Words kTime{"Время", "Time"};
const Words kKind{"Вид", "Kind"};
const Words kTestGas{"Поверочный газ", "Test gas"};
const Words kAsFound{"До", "As found"};
const Words kAsLeft{"После", "As left"};
const Words kCylinder{"Баллон (партия, годен до)", "Cylinder (lot, expiry)"};
const Words kResult{"Итог", "Result"};
const Words kBump{"Проверка срабатывания", "Bump test"};
const Words kNoBump{"Проверка срабатывания не проводилась.", "No bump test was made."};
const Words kBefore{"Показание до подачи газа", "Reading before gas"};
const Words kPeak{"Наибольшее показание", "Peak reading"};
const Words kT50{"T50", "T50"};
const Words kT90{"T90", "T90"};
const Words kThreshold{"Порог %1", "Threshold %1"};
const Words kRecovery{"Возврат после снятия газа", "Recovery after gas removed"};
const Words kVerdict{"Заключение", "Verdict"};
const Words kNever{"не достигнут", "never"};
const Words kSeconds{"%1 с", "%1 s"};
const Words kDate{"Дата", "Date"};
const Words kEngineer{"Инженер", "Engineer"};
const Words kNextDue{"Следующая калибровка", "Next calibration due"};
const Words kNoDue{"не определена: калибровка не выполнена", "not set: no calibration was done"};
const Words kInterval{"интервал %1 мес.", "interval %1 months"};
const Words kSignature{"Подпись", "Signature"};
const Words kZero{"нуль", "zero"};
const Words kSpan{"диапазон", "span"};

const Words kResults[] = {{"выполнена", "done"},           {"отменена", "cancelled"},
                          {"отклонена датчиком", "refused"}, {"итог неизвестен", "outcome unknown"},
                          {"прервана", "interrupted"},      {"пройдена", "passed"},
                          {"не пройдена", "failed"}};

QString unitShown(CertificateLanguage language, const QString &code)
{
    if (language == CertificateLanguage::English)
        return code;
    static const QMap<QString, QString> russian{{"%vol", "%об.д."}, {"%LEL", "%НКПР"}, {"mg/m3", "мг/м3"},
                                                {"ug/m3", "мкг/м3"}};
    return russian.value(code, code);
}

QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

QString cell(const QString &text, const char *tag = "td")
{
    return QString("<%1>%2</%1>").arg(tag, esc(text));
}

// Name and value pairs two to a row, so that a page holds the whole visit.
QString pairedRows(const QVector<QPair<QString, QString>> &pairs)
{
    QString rows;
    for (int i = 0; i < pairs.size(); i += 2) {
        rows += "<tr>" + cell(pairs[i].first, "th") + cell(pairs[i].second);
        if (i + 1 < pairs.size())
            rows += cell(pairs[i + 1].first, "th") + cell(pairs[i + 1].second);
        else
            rows += "<th></th><td></td>";
        rows += "</tr>";
    }
    return rows;
}

QString number(const std::optional<double> &value, const QString &unit)
{
    if (!value)
        return QStringLiteral("—");
    const QString shown = QString::number(*value, 'g', 12);
    return unit.isEmpty() ? shown : shown + ' ' + unit;
}

class Page
{
public:
    explicit Page(const Certificate &c) : c(c), unit(unitShown(c.language, c.detector.unit)) {}

    QString html() const
    {
        return "<html><head><style>"
               "h1 { font-size: 13pt; margin-bottom: 4px; } h2 { font-size: 10.5pt; margin-top: 10px; "
               "margin-bottom: 4px; }"
               "th { text-align: left; font-weight: bold; background: #e8eef6; }"
               "</style></head><body>" +
               QString("<h1>%1</h1>").arg(esc(say(c.language, kTitle))) + detector() + thresholds() +
               calibrations() + bump() + closing() + "</body></html>";
    }

private:
    QString tr(const Words &words) const { return say(c.language, words); }

    QString table(const QString &rows) const
    {
        return "<table border='1' cellspacing='0' cellpadding='3' width='100%'>" + rows + "</table>";
    }

    QString detector() const
    {
        const JournalEntry &d = c.detector;
        return QString("<h2>%1</h2>").arg(esc(tr(kDetector))) +
               table(pairedRows({{tr(kType), d.deviceType},
                                 {tr(kSerial), d.serialNumber},
                                 {tr(kFirmware), d.firmware},
                                 {tr(kAddress), QString::number(d.modbusAddress)},
                                 {tr(kGas), d.gas},
                                 {tr(kUnit), unit},
                                 {tr(kRange), c.range.isEmpty() ? tr(kNotRead) : c.range}}));
    }

    QString thresholds() const
    {
        QString rows;
        for (const QString &threshold : c.thresholds)
            rows += "<tr>" + cell(threshold) + "</tr>";
        if (rows.isEmpty())
            rows = "<tr>" + cell(tr(kNotRead)) + "</tr>";
        return QString("<h2>%1</h2>").arg(esc(tr(kThresholds))) + table(rows);
    }

    QString result(JournalResult r) const { return say(c.language, kResults[int(r)]); }

    QString cylinder(const JournalEntry &e) const
    {
        QStringList parts;
        if (!e.cylinderLot.isEmpty())
            parts << e.cylinderLot;
        if (e.cylinderExpiry.isValid())
            parts << e.cylinderExpiry.toString(Qt::ISODate);
        return parts.isEmpty() ? QStringLiteral("—") : parts.join(", ");
    }

    QString calibrations() const
    {
        const QString heading = QString("<h2>%1</h2>").arg(esc(tr(kCalibrations)));
        if (c.calibrations.isEmpty())
            return heading + QString("<p>%1</p>").arg(esc(tr(kNoCalibrations)));
        // Widths in per cent: a time and a reading each stay on one line.
        const QVector<QPair<Words, int>> columns{{kTime, 15}, {kKind, 10}, {kTestGas, 18}, {kAsFound, 11},
                                                 {kAsLeft, 11}, {kCylinder, 18}, {kResult, 17}};
        QString rows = "<tr>";
        for (const auto &column : columns)
            rows += QString("<th width='%1%'>%2</th>").arg(column.second).arg(esc(tr(column.first)));
        rows += "</tr>";
        for (const JournalEntry &e : c.calibrations) {
            rows += "<tr><td nowrap>" + esc(e.time.toString("yyyy-MM-dd HH:mm")) + "</td>" +
                    cell(tr(e.kind == CalibrationKind::Zero ? kZero : kSpan)) + cell(number(e.testGas, unit)) +
                    cell(number(e.asFound, unit)) + cell(number(e.asLeft, unit)) + cell(cylinder(e)) +
                    cell(result(e.result)) + "</tr>";
        }
        return heading + "<div style='font-size: 7.5pt;'>" + table(rows) + "</div>";
    }

    QString seconds(const std::optional<double> &value) const
    {
        return value ? tr(kSeconds).arg(*value, 0, 'f', 1) : tr(kNever);
    }

    QString bump() const
    {
        const QString heading = QString("<h2>%1</h2>").arg(esc(tr(kBump)));
        if (!c.bump)
            return heading + QString("<p>%1</p>").arg(esc(tr(kNoBump)));
        const JournalEntry &b = *c.bump;
        QVector<QPair<QString, QString>> pairs{{tr(kTime), b.time.toString("yyyy-MM-dd HH:mm")},
                                               {tr(kTestGas), number(b.testGas, unit)},
                                               {tr(kBefore), number(b.asFound, unit)},
                                               {tr(kPeak), number(b.bump.peak, unit)},
                                               {tr(kT50), seconds(b.bump.t50)},
                                               {tr(kT90), seconds(b.bump.t90)}};
        for (int i = 0; i < 3; ++i)
            pairs.append({tr(kThreshold).arg(i + 1), seconds(b.bump.threshold[i])});
        pairs.append({tr(kRecovery), seconds(b.bump.recovery)});
        pairs.append({tr(kCylinder), cylinder(b)});
        pairs.append({tr(kVerdict), result(b.result)});
        // The window's words for the end, which give a failure its reason.
        return heading + table(pairedRows(pairs)) + QString("<p>%1</p>").arg(esc(b.outcome));
    }

    QString closing() const
    {
        const QString due = c.nextDue.isValid() ? c.nextDue.toString(Qt::ISODate) + " (" +
                                                      tr(kInterval).arg(c.months) + ")"
                                                : tr(kNoDue);
        return "<p>&nbsp;</p>" +
               table(pairedRows({{tr(kDate), c.date.toString(Qt::ISODate)},
                                 {tr(kEngineer), c.engineer},
                                 {tr(kNextDue), due}}).replace("<th></th><td></td>",
                                                               cell(tr(kSignature), "th") + "<td><br><br></td>"));
    }

    const Certificate &c;
    const QString unit;
};

bool isGasCalibration(const JournalEntry &e)
{
    return e.kind == CalibrationKind::Zero || e.kind == CalibrationKind::Span;
}

} // namespace

bool certificateFromJournal(const QVector<JournalEntry> &entries, const QString &serial, const QDate &from,
                            int months, Certificate &certificate)
{
    QVector<JournalEntry> visit;
    for (const JournalEntry &e : entries) {
        if (e.serialNumber.toULongLong() == serial.toULongLong() && !e.serialNumber.isEmpty())
            visit << e;
    }
    const QDate start = from.isValid() ? from : visit.isEmpty() ? QDate() : visit.last().time.date();
    QVector<JournalEntry> rows;
    for (const JournalEntry &e : visit) {
        if (e.time.date() >= start)
            rows << e;
    }
    if (rows.isEmpty())
        return false;
    Certificate &c = certificate;
    c.detector = rows.last();
    c.date = rows.last().time.date();
    c.months = months;
    c.calibrations.clear();
    c.bump.reset();
    c.nextDue = QDate();
    for (const JournalEntry &e : rows) {
        if (isGasCalibration(e))
            c.calibrations << e;
        if (e.kind == CalibrationKind::Bump)
            c.bump = e;
        if (isGasCalibration(e) && e.result == JournalResult::Done)
            c.nextDue = e.time.date().addMonths(months);
        if (!e.engineer.isEmpty())
            c.engineer = e.engineer;
        if (!e.unit.isEmpty())
            c.detector.unit = e.unit;
    }
    return true;
}

QString certificateHtml(const Certificate &certificate)
{
    return Page(certificate).html();
}

bool writeCertificatePdf(const Certificate &certificate, const QString &path, QString &error)
{
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(18, 15, 15, 15), QPageLayout::Millimeter);
        writer.setResolution(300);
        writer.setTitle(say(certificate.language, kTitle) + ' ' + certificate.detector.serialNumber);
        writer.setCreator("zorvel-configurator");
        QTextDocument document;
        // Without shaping no ligature joins "f" and "i": the text copied or
        // searched in the PDF is the text written.
        QFont font("DejaVu Sans", 8);
        font.setStyleStrategy(QFont::PreferNoShaping);
        document.setDefaultFont(font);
        document.setHtml(certificateHtml(certificate));
        // The writer's margins are the page's; the document adds none.
        document.setDocumentMargin(0);
        document.setPageSize(writer.pageLayout().paintRect(QPageLayout::Point).size());
        document.print(&writer);
    }
    QString reason;
    if (writeFileAtomically(path, pdf.data(), &reason) == AtomicWrite::Written)
        return true;
    error = QString("cannot write %1: %2").arg(path, reason);
    return false;
}
