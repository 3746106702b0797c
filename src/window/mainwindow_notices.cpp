#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QStatusBar>
#include <QStringList>

namespace {

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

QString wordList(const QVector<int> &words)
{
    QStringList numbers;
    for (int word : words)
        numbers << QString::number(word);
    return numbers.join(", ");
}

QString detectorName(qint64 serial)
{
    if (serial == kUnknownSerial)
        return MainWindow::tr("с непрочитанным серийным номером");
    return MainWindow::tr("№ %1").arg(serial);
}

} // namespace

// The status bar keeps the text until the next one: it stays readable after
// a disconnect, when the tabs are disabled. A text too long for the window
// is whole in the tooltip.
void MainWindow::tell(const QString &text)
{
    statusBar()->showMessage(text);
    statusBar()->setToolTip(text);
}

void MainWindow::tellNotice(const SessionNotice &notice)
{
    switch (notice.kind) {
    case SessionNoticeKind::BlockHalfWritten:
        tell(tr("Записана только первая часть параметров (слова 0–95), вторая (96–179) могла не дойти: "
                "в датчике могут быть новые и старые значения вперемешку. Нажмите «Записать» ещё раз"));
        break;
    case SessionNoticeKind::BlockNotWrittenAddressKept:
        tell(tr("Параметры не записаны, адрес датчика остался %1").arg(notice.address));
        break;
    case SessionNoticeKind::AddressNotTaken:
        tell(tr("Датчик не принял адрес %1, связь с ним идёт по адресу %2").arg(notice.address).arg(notice.current));
        break;
    case SessionNoticeKind::AddressMoved:
        tell(tr("Датчику назначен адрес %1, опрос идёт по новому адресу").arg(notice.address));
        break;
    case SessionNoticeKind::TargetGasReturnRefused:
        tell(tr("Датчик не принял возврат на целевой газ %1. Попытка повторяется каждую секунду, "
                "до её успеха отключиться и выйти нельзя.")
                 .arg(notice.gas));
        break;
    case SessionNoticeKind::TargetGasNotTaken:
        tell(tr("Датчик не принял запись целевого газа"));
        break;
    case SessionNoticeKind::MainGasNotTaken:
        tell(tr("Датчик не принял переключение на основной газ и остался на целевом"));
        break;
    case SessionNoticeKind::GasSwitchUnknown:
        tell(tr("Датчик не ответил на переключение на газ %1. Проверяется, что в нём записано; до ответа "
                "отключиться и выйти нельзя.")
                 .arg(notice.gas));
        break;
    case SessionNoticeKind::BlockRefused:
        tell(tr("Датчик отказал в записи параметров (код исключения %1), ничего не записано")
                 .arg(notice.exceptionCode));
        break;
    case SessionNoticeKind::BlockNotSent:
        tell(tr("Параметры не записаны: запрос не ушёл в линию"));
        break;
    case SessionNoticeKind::BlockUnknown:
        tell(tr("Датчик не подтвердил запись параметров, и прочитать их не удалось: что в нём записано, "
                "неизвестно. Нажмите «Обновить» или «Записать» ещё раз"));
        break;
    case SessionNoticeKind::BlockDiffers:
        tell(tr("Датчик хранит не то, что отправлено, в словах %1: показано то, что прочитано из датчика")
                 .arg(wordList(notice.words)));
        break;
    case SessionNoticeKind::BlockWritten:
        tell(tr("Параметры записаны и прочитаны обратно без расхождений"));
        break;
    case SessionNoticeKind::BlockHeldUnconfirmed:
        tell(tr("Датчик не подтвердил запись параметров, но прочитанные обратно они совпадают с "
                "отправленными"));
        break;
    }
}

// Why the window stopped polling: a detector that refuses is there, garbled
// answers point to the line, silence to the address or the wiring.
void MainWindow::tellGaveUp(const ExchangeOutcome &lastPoll)
{
    QString why;
    switch (lastPoll.kind()) {
    case ExchangeOutcome::Kind::Refused:
        why = tr("датчик отказывает в чтении (код исключения %1)").arg(lastPoll.exceptionCode());
        break;
    case ExchangeOutcome::Kind::Garbled:
    case ExchangeOutcome::Kind::Foreign:
    case ExchangeOutcome::Kind::NotConfirmed:
        why = tr("ответы искажены: помехи на линии или два устройства с одним адресом");
        break;
    case ExchangeOutcome::Kind::NotSent:
    case ExchangeOutcome::Kind::PortError:
        why = tr("порт не работает: %1").arg(lastPoll.text());
        break;
    default:
        why = tr("нет ответа: проверьте адрес, подключение линий A/B и питание датчика");
        break;
    }
    tell(tr("Опрос датчика с адресом %1 не удался три раза подряд, связь прекращена: %2.")
             .arg(session.connection().slaveAddress)
             .arg(why));
}

// A connection ended while the detector was held in a temporary state: the
// line was lost, or at "Отключить" the detector did not take the stops.
void MainWindow::tellLeftBehind(qint64 serial, const LeftInDetector &kept, bool endedByUser)
{
    if (endedByUser) {
        tell(tr("Датчик %1 не подтвердил при отключении отмену, в нём осталось: %2. При следующем подключении к "
                "нему программа повторит отмену.")
                 .arg(detectorName(serial), whatIsLeft(kept)));
        return;
    }
    tell(tr("Связь с датчиком %1 прервалась, в нём осталось: %2. При следующем подключении к нему "
            "программа это отменит.")
             .arg(detectorName(serial), whatIsLeft(kept)));
}

// The first block of a new connection was read: the same detector gets back
// what was left in it, another one is only mentioned.
void MainWindow::tellLeftBehindMet(qint64 serial, const LeftInDetector &undone, const LeftInDetectors &others)
{
    QStringList told;
    if (undone.any())
        told << tr("Датчик %1 снова на связи, программа отменяет оставленное прерванной связью: %2.")
                    .arg(detectorName(serial), whatIsLeft(undone));
    for (auto other = others.cbegin(); other != others.cend(); ++other)
        told << tr("Датчик %1 может всё ещё оставаться в состоянии, оставленном прерванной связью: %2.")
                    .arg(detectorName(other.key()), whatIsLeft(other.value()));
    tell(told.join(' '));
}
