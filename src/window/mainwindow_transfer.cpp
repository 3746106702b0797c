#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QMessageBox>
#include <QStringList>

#include "parametertable.h"
#include "registermodel.h"

using namespace RegisterModel;

namespace {

// A parameter as the form labels it; the table knows it by its English name.
QString parameterLabel(const QString &name)
{
    static const QMap<QString, const char *> labels = {
        {"valueHigh", QT_TRANSLATE_NOOP("MainWindow", "Диапазон показ.")},
        {"limit1_level", QT_TRANSLATE_NOOP("MainWindow", "Порог 1")},
        {"limit1_hyst", QT_TRANSLATE_NOOP("MainWindow", "Гистерезис 1")},
        {"limit2_level", QT_TRANSLATE_NOOP("MainWindow", "Порог 2")},
        {"limit2_hyst", QT_TRANSLATE_NOOP("MainWindow", "Гистерезис 2")},
        {"limit3_level", QT_TRANSLATE_NOOP("MainWindow", "Порог 3")},
        {"limit3_hyst", QT_TRANSLATE_NOOP("MainWindow", "Гистерезис 3")},
        {"deadZone", QT_TRANSLATE_NOOP("MainWindow", "Мертвая зона")},
        {"point20ma", QT_TRANSLATE_NOOP("MainWindow", "Привязка т.20 ма")},
    };
    for (const Parameter &parameter : parameterTable()) {
        if (name == parameter.name && parameter.control && labels.contains(parameter.control))
            return MainWindow::tr(labels.value(parameter.control));
    }
    return name;
}

QStringList parameterLabels(const QStringList &names)
{
    QStringList shown;
    for (const QString &name : names)
        shown << "«" + parameterLabel(name) + "»";
    return shown;
}

QString typeName(quint32 code)
{
    const QString known = deviceTypeText(quint8(code));
    return known.isEmpty() ? QString("0x%1").arg(code, 2, 16, QChar('0')) : known;
}

} // namespace

// Why a settings file may not go to the connected detector, naming both sides.
QString MainWindow::transferRefusalText(const SettingsTransfer &transfer) const
{
    switch (transfer.refusal) {
    case TransferRefusal::DeviceType:
        return tr("Файл настроек — от прибора %1, а подключён прибор %2: его настройки значат для этого прибора "
                  "другое. Файл не загружен.")
            .arg(typeName(transfer.fileValue), typeName(transfer.detectorValue));
    case TransferRefusal::Unit:
        return tr("В файле настроек пороги заданы в единицах «%1», а датчик измеряет в «%2». Файл не загружен.")
            .arg(unitNames.value(int(transfer.fileValue)), unitNames.value(int(transfer.detectorValue)));
    case TransferRefusal::DoesNotFit:
        return tr("Значение «%1» из файла настроек не помещается в датчик при его числе знаков после запятой. "
                  "Файл не загружен.")
            .arg(parameterLabel(transfer.parameter));
    case TransferRefusal::None:
        break;
    }
    return QString();
}

// An imported file of another detector lends this one its settings only:
// said at once, in the status line, and asked again before "Записать".
QString MainWindow::lentSettingsText(qint64 fileSerial, const QStringList &rounded) const
{
    QString text = tr("Файл настроек — с датчика № %1, подключён датчик № %2. Записаны будут только настройки "
                      "(диапазон, пороги, гистерезисы, токи, мёртвая зона, привязка 20 мА); тип прибора, "
                      "серийный номер, адреса, число знаков после запятой, единицы измерения, газ и "
                      "калибровки останутся собственными датчика.")
                       .arg(fileSerial)
                       .arg(session.connectedSerial());
    if (!rounded.isEmpty())
        text += ' ' + tr("Округлены до числа знаков датчика: %1.").arg(parameterLabels(rounded).join(", "));
    return text;
}

// The file is refused, or taken into the controls as the detector would get it.
void MainWindow::importSettings(const quint16 *file, const QString &path)
{
    const SettingsTransfer transfer = session.importBlock(file);
    if (transfer.kind == TransferKind::Refused) {
        QMessageBox::critical(nullptr, " ", transferRefusalText(transfer) + "\n" + path, QMessageBox::Ok);
        return;
    }
    CtrlSetRegHold(session.parameterBlock());
    if (transfer.kind == TransferKind::SettingsOnly)
        tell(lentSettingsText(transfer.fileSerial, transfer.rounded));
}

// Another detector's settings go out only once the user has agreed to it.
bool MainWindow::lentSettingsConfirmed()
{
    if (session.lentFrom() == kUnknownSerial)
        return true;
    const QString question = lentSettingsText(session.lentFrom(), QStringList()) + "\n\n" + tr("Записать?");
    return QMessageBox::question(nullptr, " ", question, QMessageBox::Yes | QMessageBox::Cancel, QMessageBox::Cancel)
           == QMessageBox::Yes;
}

void MainWindow::tellAddressInUse(quint8 address, AddressProbe found)
{
    if (found == AddressProbe::Taken)
        tell(tr("По адресу %1 уже отвечает другое устройство (датчик, два датчика сразу или помехи): "
                "адрес не назначен, ничего не записано. Выберите свободный адрес.")
                 .arg(address));
    else
        tell(tr("Не удалось проверить, свободен ли адрес %1: порт не работает. Адрес не назначен, ничего не "
                "записано.")
                 .arg(address));
}
