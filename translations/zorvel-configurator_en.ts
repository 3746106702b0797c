<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CustomPlotWidget</name>
    <message>
        <source>Концентрация</source>
        <translation>Concentration</translation>
    </message>
    <message>
        <source>Время (сек)</source>
        <translation>Time (s)</translation>
    </message>
    <message>
        <source>с</source>
        <translation>s</translation>
    </message>
    <message>
        <source>Порог %1</source>
        <translation>Alarm %1</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>MainWindow</source>
        <translation>MainWindow</translation>
    </message>
    <message>
        <source>Параметры</source>
        <translation>Parameters</translation>
    </message>
    <message>
        <source>Сер. ном. датч.</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>MB адрес</source>
        <translation>MB address</translation>
    </message>
    <message>
        <source>HART адрес</source>
        <translation>HART address</translation>
    </message>
    <message>
        <source>Нет</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Выключен</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>Включен</source>
        <translation>On</translation>
    </message>
    <message>
        <source>BLE</source>
        <translation>BLE</translation>
    </message>
    <message>
        <source>Применить</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Версия ПО</source>
        <translation>Firmware</translation>
    </message>
    <message>
        <source>Настройки</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Ток инициализ.</source>
        <translation>Start-up current</translation>
    </message>
    <message>
        <source>Ток сервис. реж.</source>
        <translation>Service current</translation>
    </message>
    <message>
        <source>Мертвая зона</source>
        <translation>Dead band</translation>
    </message>
    <message>
        <source>Магнитная калибр.</source>
        <translation>Magnetic calibration</translation>
    </message>
    <message>
        <source>Диапазон показ.</source>
        <translation>Display range</translation>
    </message>
    <message>
        <source>Привязка т.20 ма</source>
        <translation>20 mA point</translation>
    </message>
    <message>
        <source>Порог 1</source>
        <translation>Alarm 1</translation>
    </message>
    <message>
        <source>&gt; Превышение</source>
        <translation>&gt; Rising</translation>
    </message>
    <message>
        <source>&lt; Понижение</source>
        <translation>&lt; Falling</translation>
    </message>
    <message>
        <source>Гистерезис 1</source>
        <translation>Hysteresis 1</translation>
    </message>
    <message>
        <source>Порог 2</source>
        <translation>Alarm 2</translation>
    </message>
    <message>
        <source>Гистерезис 2</source>
        <translation>Hysteresis 2</translation>
    </message>
    <message>
        <source>Отключен</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>Порог 3</source>
        <translation>Alarm 3</translation>
    </message>
    <message>
        <source>Гистерезис 3</source>
        <translation>Hysteresis 3</translation>
    </message>
    <message>
        <source>Калибровка по газу</source>
        <translation>Gas calibration</translation>
    </message>
    <message>
        <source>Начать</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Калибровать</source>
        <translation>Calibrate</translation>
    </message>
    <message>
        <source>Целевой газ</source>
        <translation>Target gas</translation>
    </message>
    <message>
        <source>Основной газ</source>
        <translation>Main gas</translation>
    </message>
    <message>
        <source>Калибровочная концентрация</source>
        <translation>Span gas concentration</translation>
    </message>
    <message>
        <source>Переключить газ</source>
        <translation>Switch gas</translation>
    </message>
    <message>
        <source>Калибровка нуля</source>
        <translation>Zero calibration</translation>
    </message>
    <message>
        <source>Отменить</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Калибровка диапазона</source>
        <translation>Span calibration</translation>
    </message>
    <message>
        <source>Калибровка по току</source>
        <translation>Current output calibration</translation>
    </message>
    <message>
        <source>Калибровка 4 мА</source>
        <translation>4 mA calibration</translation>
    </message>
    <message>
        <source>Завершить</source>
        <translation>Finish</translation>
    </message>
    <message>
        <source>Калибровка 20 мА</source>
        <translation>20 mA calibration</translation>
    </message>
    <message>
        <source>Тест 4 мА</source>
        <translation>Test 4 mA</translation>
    </message>
    <message>
        <source>Тест 20 мА</source>
        <translation>Test 20 mA</translation>
    </message>
    <message>
        <source>Тест</source>
        <translation>Test</translation>
    </message>
    <message>
        <source>Подключить</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>Порт</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Скан</source>
        <translation>Scan</translation>
    </message>
    <message>
        <source>Отключить</source>
        <translation>Disconnect</translation>
    </message>
    <message>
        <source>Экспорт</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>Импорт</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>Обновить</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>Записать</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>В сервисный</source>
        <translation>To service mode</translation>
    </message>
    <message>
        <source>В рабочий</source>
        <translation>To working mode</translation>
    </message>
    <message>
        <source>Концентрация</source>
        <translation>Concentration</translation>
    </message>
    <message>
        <source>Тип прибора</source>
        <translation>Device type</translation>
    </message>
    <message>
        <source>Единицы измерения</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>Статус</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Зорвел конфигуратор v0.04</source>
        <translation>Zorvel Configurator v0.04</translation>
    </message>
    <message>
        <source>Калибровка
по газу</source>
        <translation>Gas
calibration</translation>
    </message>
    <message>
        <source>Калибровка
по току</source>
        <translation>Current output
calibration</translation>
    </message>
    <message>
        <source>Калибровка 4 мА, ожидание ввода данных</source>
        <translation>4 mA calibration: enter the measured current</translation>
    </message>
    <message>
        <source>Калибровка 4 мА завершена, тест 4мА</source>
        <translation>4 mA calibration saved, output at 4 mA</translation>
    </message>
    <message>
        <source>Калибровка завершена</source>
        <translation>Calibration finished</translation>
    </message>
    <message>
        <source>Калибровка 20 мА, ожидание ввода данных</source>
        <translation>20 mA calibration: enter the measured current</translation>
    </message>
    <message>
        <source>Калибровка 20 мА завершена, тест 20 мА</source>
        <translation>20 mA calibration saved, output at 20 mA</translation>
    </message>
    <message>
        <source>Тестирование токового выхода на 4 мА</source>
        <translation>Testing the current output at 4 mA</translation>
    </message>
    <message>
        <source>Тестирование токового выхода на 20 мА</source>
        <translation>Testing the current output at 20 mA</translation>
    </message>
    <message>
        <source>Тестирование токового выхода на %1 мА</source>
        <translation>Testing the current output at %1 mA</translation>
    </message>
    <message>
        <source>Тест завершён</source>
        <translation>Test finished</translation>
    </message>
    <message>
        <source>Параметры ещё не прочитаны из подключённого датчика, записывать и сохранять нечего. Чтение повторяется каждую секунду; можно также загрузить файл настроек кнопкой «Импорт».</source>
        <translation>The parameters have not been read from the connected detector yet, so there is nothing to write or save. Reading is retried every second; you can also load a settings file with &quot;Import&quot;.</translation>
    </message>
    <message>
        <source>Параметры датчика ещё не прочитаны, концентрация не отправлена</source>
        <translation>Parameters not read yet; concentration not sent</translation>
    </message>
    <message>
        <source>Связь прервалась во время калибровки, её итог неизвестен</source>
        <translation>Connection lost during calibration; outcome unknown</translation>
    </message>
    <message>
        <source>Калибровка нуля началась</source>
        <translation>Zero calibration started</translation>
    </message>
    <message>
        <source>Калибровка нуля продолжается</source>
        <translation>Zero calibration in progress</translation>
    </message>
    <message>
        <source>Калибровка нуля отменена</source>
        <translation>Zero calibration cancelled</translation>
    </message>
    <message>
        <source>Калибровка диапазона началась</source>
        <translation>Span calibration started</translation>
    </message>
    <message>
        <source>Калибровка диапазона продолжается</source>
        <translation>Span calibration in progress</translation>
    </message>
    <message>
        <source>Калибровка диапазона отменена</source>
        <translation>Span calibration cancelled</translation>
    </message>
    <message>
        <source>Калибровка нуля не удалась</source>
        <translation>Zero calibration failed</translation>
    </message>
    <message>
        <source>Калибровочная концентрация вне диапазона</source>
        <translation>Span gas concentration out of range</translation>
    </message>
    <message>
        <source>Калибровка диапазона не удалась</source>
        <translation>Span calibration failed</translation>
    </message>
    <message>
        <source>Калибровка нуля завершена</source>
        <translation>Zero calibration completed</translation>
    </message>
    <message>
        <source>Калибровка диапазона завершена</source>
        <translation>Span calibration completed</translation>
    </message>
    <message>
        <source>Файл настроек</source>
        <translation>Settings file</translation>
    </message>
    <message>
        <source>Setting Files (*.bin);;All Files (*)</source>
        <translation>Settings files (*.bin);;All files (*)</translation>
    </message>
    <message>
        <source>Ошибка открытия файла </source>
        <translation>Cannot open file </translation>
    </message>
    <message>
        <source>Ошибка записи файла </source>
        <translation>Cannot write file </translation>
    </message>
    <message>
        <source>All Files (*);;Bin Files (*.bin)</source>
        <translation>All files (*);;Settings files (*.bin)</translation>
    </message>
    <message>
        <source>Ошибка открытия файла</source>
        <translation>Cannot open file </translation>
    </message>
    <message>
        <source>Неверный размер файла настроек </source>
        <translation>Wrong size of settings file </translation>
    </message>
    <message>
        <source>виртуальный порт</source>
        <translation>virtual port</translation>
    </message>
    <message>
        <source>Неисправность</source>
        <translation>Fault</translation>
    </message>
    <message>
        <source>Неиспр. сенсора</source>
        <translation>Sensor fault</translation>
    </message>
    <message>
        <source>Сервисн. режим</source>
        <translation>Service mode</translation>
    </message>
    <message>
        <source>Инициализация</source>
        <translation>Starting up</translation>
    </message>
    <message>
        <source>Превыш. диапаз.</source>
        <translation>Over range</translation>
    </message>
    <message>
        <source>Превыш. порог 3</source>
        <translation>Alarm 3 tripped</translation>
    </message>
    <message>
        <source>Превыш. порог 2</source>
        <translation>Alarm 2 tripped</translation>
    </message>
    <message>
        <source>Превыш. порог 1</source>
        <translation>Alarm 1 tripped</translation>
    </message>
    <message>
        <source>Измерение</source>
        <translation>Measuring</translation>
    </message>
    <message>
        <source>%Об.д</source>
        <translation>%vol</translation>
    </message>
    <message>
        <source>%НКПР</source>
        <translation>%LEL</translation>
    </message>
    <message>
        <source>мг/м3</source>
        <translation>mg/m3</translation>
    </message>
    <message>
        <source>мкг/м3</source>
        <translation>µg/m3</translation>
    </message>
    <message>
        <source>Адрес 0 — широковещательный: команды по нему выполняет каждый датчик на линии, и ни один не отвечает. Укажите адрес датчика от 1 до 247.</source>
        <translation>Address 0 is the broadcast address: every detector on the line carries out its commands, and none answers. Enter a detector address from 1 to 247.</translation>
    </message>
    <message>
        <source>Адреса 248–255 зарезервированы протоколом Modbus, датчик по ним не отвечает. Укажите адрес датчика от 1 до 247.</source>
        <translation>Addresses 248–255 are reserved by the Modbus protocol, no detector answers at them. Enter a detector address from 1 to 247.</translation>
    </message>
    <message>
        <source>Параметры ещё не прочитаны из подключённого датчика, газ переключать нельзя. Чтение повторяется каждую секунду.</source>
        <translation>The parameters have not yet been read from the connected detector, the gas cannot be switched. The read is repeated every second.</translation>
    </message>
    <message>
        <source>Датчик не принял возврат на целевой газ %1. Попытка повторяется каждую секунду, до её успеха отключиться и выйти нельзя.</source>
        <translation>The detector did not take the return to its target gas %1. It is tried again every second; until it succeeds, you cannot disconnect or exit.</translation>
    </message>
    <message>
        <source>Датчик не принял запись целевого газа</source>
        <translation>The detector did not take the target gas</translation>
    </message>
    <message>
        <source>Датчик не принял переключение на основной газ и остался на целевом</source>
        <translation>The detector did not take the switch to the main gas and stays on its target gas</translation>
    </message>
    <message>
        <source>Датчик не переключился на основной газ, калибровка отменена</source>
        <translation>The detector did not switch to the main gas, calibration cancelled</translation>
    </message>
    <message>
        <source>Датчик не сообщил о калибровке нуля, её итог неизвестен</source>
        <translation>The detector did not report the zero calibration, its outcome is unknown</translation>
    </message>
    <message>
        <source>Датчик не сообщил о калибровке диапазона, её итог неизвестен</source>
        <translation>The detector did not report the span calibration, its outcome is unknown</translation>
    </message>
    <message>
        <source>тест или калибровка токового выхода</source>
        <translation>a current output test or calibration</translation>
    </message>
    <message>
        <source>сервисный режим калибровки по газу</source>
        <translation>the service mode of a gas calibration</translation>
    </message>
    <message>
        <source>основной газ вместо %1</source>
        <translation>the main gas instead of %1</translation>
    </message>
    <message>
        <source>с непрочитанным серийным номером</source>
        <translation>with an unread serial number</translation>
    </message>
    <message>
        <source>№ %1</source>
        <translation>No. %1</translation>
    </message>
    <message>
        <source>Связь с датчиком %1 прервалась, в нём осталось: %2. При следующем подключении к нему программа это отменит.</source>
        <translation>The connection to detector %1 was lost, leaving in it: %2. The program will undo this at the next connection to it.</translation>
    </message>
    <message>
        <source>Датчик %1 снова на связи, программа отменяет оставленное прерванной связью: %2.</source>
        <translation>Detector %1 is back; the program undoes what the lost connection left: %2.</translation>
    </message>
    <message>
        <source>Датчик %1 может всё ещё оставаться в состоянии, оставленном прерванной связью: %2.</source>
        <translation>Detector %1 may still be in the state a lost connection left it in: %2.</translation>
    </message>
    <message>
        <source>Параметры не записаны, адрес датчика остался %1</source>
        <translation>The parameters were not written, the detector address stays %1</translation>
    </message>
    <message>
        <source>Датчик не принял адрес %1, связь с ним идёт по адресу %2</source>
        <translation>The detector did not take address %1, it is still reached at address %2</translation>
    </message>
    <message>
        <source>Датчику назначен адрес %1, опрос идёт по новому адресу</source>
        <translation>The detector now has address %1, polling goes on at the new address</translation>
    </message>
    <message>
        <source>%1 мА</source>
        <translation>%1 mA</translation>
    </message>
    <message>
        <source>Калибровка 4 мА не удалась</source>
        <translation>4 mA calibration failed</translation>
    </message>
    <message>
        <source>Калибровка 20 мА не удалась</source>
        <translation>20 mA calibration failed</translation>
    </message>
    <message>
        <source>Калибровка 4 мА отменена</source>
        <translation>4 mA calibration cancelled</translation>
    </message>
    <message>
        <source>Калибровка 20 мА отменена</source>
        <translation>20 mA calibration cancelled</translation>
    </message>
    <message>
        <source>Журнал калибровок не записан: %1. Калибровки идут как обычно, но в журнал не заносятся; до следующего подключения это сообщение не повторится.</source>
        <translation>The calibration journal was not written: %1. Calibrations run as usual but are not recorded; this message is not shown again until the next connection.</translation>
    </message>
    <message>
        <source>Записана только первая часть параметров (слова 0–95), вторая (96–179) могла не дойти: в датчике могут быть новые и старые значения вперемешку. Нажмите «Записать» ещё раз</source>
        <translation>Only the first part of the parameters (words 0–95) was written; the second (96–179) may not have arrived: the detector may hold new and old values mixed. Press “Write” again</translation>
    </message>
    <message>
        <source>Это не файл настроек, а папка, канал или устройство: </source>
        <translation>This is not a settings file but a folder, pipe or device: </translation>
    </message>
    <message>
        <source>Датчик отказал в завершении теста токового выхода (код исключения %1): выход может оставаться под током. Завершение повторяется каждую секунду.</source>
        <translation>The detector refused to end the current output test (exception code %1): the output may still be forced. The stop is repeated every second.</translation>
    </message>
    <message>
        <source>Датчик не подтвердил завершение теста токового выхода: выход может оставаться под током. Завершение повторяется каждую секунду.</source>
        <translation>The detector did not confirm the end of the current output test: the output may still be forced. The stop is repeated every second.</translation>
    </message>
    <message>
        <source>датчик отказывает в чтении (код исключения %1)</source>
        <translation>the detector refuses the read (exception code %1)</translation>
    </message>
    <message>
        <source>ответы искажены: помехи на линии или два устройства с одним адресом</source>
        <translation>the answers are garbled: noise on the line, or two devices at one address</translation>
    </message>
    <message>
        <source>порт не работает: %1</source>
        <translation>the port does not work: %1</translation>
    </message>
    <message>
        <source>нет ответа: проверьте адрес, подключение линий A/B и питание датчика</source>
        <translation>no answer: check the address, the A/B wiring and the detector&apos;s power</translation>
    </message>
    <message>
        <source>Опрос датчика с адресом %1 не удался три раза подряд, связь прекращена: %2.</source>
        <translation>Polling the detector at address %1 failed three times in a row, the connection is ended: %2.</translation>
    </message>
    <message>
        <source>Ожидание ответа датчика с адресом %1</source>
        <translation>Waiting for the detector at address %1 to answer</translation>
    </message>
    <message>
        <source>Датчик перезапустился или вышел из сервисного режима: калибровка тока прервана, её итог неизвестен</source>
        <translation>The detector restarted or left service mode: the current calibration was interrupted, its outcome is unknown</translation>
    </message>
    <message>
        <source>Датчик не ответил на сохранение калибровки тока, её итог неизвестен</source>
        <translation>The detector did not answer the save of the current calibration, its outcome is unknown</translation>
    </message>
    <message>
        <source>Датчик перезапустился или вышел из сервисного режима: тест токового выхода прерван</source>
        <translation>The detector restarted or left service mode: the current output test was interrupted</translation>
    </message>
    <message>
        <source>Датчик перезапустился или вышел из сервисного режима: калибровка нуля прервана, её итог неизвестен</source>
        <translation>The detector restarted or left service mode: the zero calibration was interrupted, its outcome is unknown</translation>
    </message>
    <message>
        <source>Датчик перезапустился или вышел из сервисного режима: калибровка диапазона прервана, её итог неизвестен</source>
        <translation>The detector restarted or left service mode: the span calibration was interrupted, its outcome is unknown</translation>
    </message>
    <message>
        <source>Датчик не ответил на переключение на газ %1. Проверяется, что в нём записано; до ответа отключиться и выйти нельзя.</source>
        <translation>The detector did not answer the switch to gas %1. Checking what it holds; until it answers, you cannot disconnect or quit.</translation>
    </message>
    <message>
        <source>Датчик отказал в записи параметров (код исключения %1), ничего не записано</source>
        <translation>The detector refused the parameter write (exception code %1), nothing was written</translation>
    </message>
    <message>
        <source>Параметры не записаны: запрос не ушёл в линию</source>
        <translation>Parameters not written: the request did not go out on the line</translation>
    </message>
    <message>
        <source>Датчик не подтвердил запись параметров, и прочитать их не удалось: что в нём записано, неизвестно. Нажмите «Обновить» или «Записать» ещё раз</source>
        <translation>The detector did not confirm the parameter write and they could not be read back: what it holds is unknown. Press &quot;Read&quot; or &quot;Write&quot; again</translation>
    </message>
    <message>
        <source>Датчик хранит не то, что отправлено, в словах %1: показано то, что прочитано из датчика</source>
        <translation>The detector holds other values than sent in words %1: shown is what was read from the detector</translation>
    </message>
    <message>
        <source>Параметры записаны и прочитаны обратно без расхождений</source>
        <translation>Parameters written and read back with no difference</translation>
    </message>
    <message>
        <source>Порт не выбран: выберите его в списке («Скан» обновляет список).</source>
        <translation>No port chosen: pick one in the list (“Scan” refreshes the list).</translation>
    </message>
    <message>
        <source>Порт %1 не найден: адаптер отключён или список портов устарел. Нажмите «Скан».</source>
        <translation>Port %1 not found: the adapter is unplugged or the port list is stale. Press “Scan”.</translation>
    </message>
    <message>
        <source>Порт %1 занят другой программой. Закройте её и нажмите «Подключить» ещё раз.</source>
        <translation>Port %1 is in use by another program. Close it and press “Connect” again.</translation>
    </message>
    <message>
        <source>Нет прав на порт %1. Добавьте пользователя в группу dialout (sudo usermod -aG dialout ИМЯ) и войдите в систему заново.</source>
        <translation>No permission for port %1. Add the user to the dialout group (sudo usermod -aG dialout NAME) and log in again.</translation>
    </message>
    <message>
        <source>Не удалось открыть порт %1: это не последовательный порт или он неисправен (%2).</source>
        <translation>Cannot open port %1: it is not a serial port, or it is faulty (%2).</translation>
    </message>
    <message>
        <source>Датчик %1 не подтвердил при отключении отмену, в нём осталось: %2. При следующем подключении к нему программа повторит отмену.</source>
        <translation>Detector %1 did not confirm the undo at disconnect; it is left with: %2. The program will undo it again when it next connects to it.</translation>
    </message>
    <message>
        <source>Файл настроек — от прибора %1, а подключён прибор %2: его настройки значат для этого прибора другое. Файл не загружен.</source>
        <translation>The settings file is from a %1, the connected device is a %2: its settings mean other things to it. The file was not loaded.</translation>
    </message>
    <message>
        <source>В файле настроек пороги заданы в единицах «%1», а датчик измеряет в «%2». Файл не загружен.</source>
        <translation>The settings file holds its thresholds in “%1”, the detector measures in “%2”. The file was not loaded.</translation>
    </message>
    <message>
        <source>Значение «%1» из файла настроек не помещается в датчик при его числе знаков после запятой. Файл не загружен.</source>
        <translation>The value “%1” of the settings file does not fit the detector at its number of decimals. The file was not loaded.</translation>
    </message>
    <message>
        <source>Файл настроек — с датчика № %1, подключён датчик № %2. Записаны будут только настройки (диапазон, пороги, гистерезисы, токи, мёртвая зона, привязка 20 мА); тип прибора, серийный номер, адреса, число знаков после запятой, единицы измерения, газ и калибровки останутся собственными датчика.</source>
        <translation>The settings file is from detector No. %1, the connected detector is No. %2. Only the settings will be written (range, thresholds, hystereses, currents, dead zone, 20 mA point); the device type, serial number, addresses, number of decimals, unit, gas and calibrations stay the detector’s own.</translation>
    </message>
    <message>
        <source>Округлены до числа знаков датчика: %1.</source>
        <translation>Rounded to the detector’s decimals: %1.</translation>
    </message>
    <message>
        <source>Записать?</source>
        <translation>Write?</translation>
    </message>
    <message>
        <source>По адресу %1 уже отвечает другое устройство (датчик, два датчика сразу или помехи): адрес не назначен, ничего не записано. Выберите свободный адрес.</source>
        <translation>Another device already answers at address %1 (a detector, two detectors at once, or noise): the address was not assigned and nothing was written. Choose a free address.</translation>
    </message>
    <message>
        <source>Не удалось проверить, свободен ли адрес %1: порт не работает. Адрес не назначен, ничего не записано.</source>
        <translation>Could not check whether address %1 is free: the port does not work. The address was not assigned and nothing was written.</translation>
    </message>
    <message>
        <source>Бамп-тест</source>
        <translation>Bump test</translation>
    </message>
    <message>
        <source>Поверочный газ</source>
        <translation>Test gas</translation>
    </message>
    <message>
        <source>Показание не менее, % газа</source>
        <translation>Reading at least, % of gas</translation>
    </message>
    <message>
        <source>за, с</source>
        <translation>within, s</translation>
    </message>
    <message>
        <source>Газ снят</source>
        <translation>Gas removed</translation>
    </message>
    <message>
        <source>До подачи газа</source>
        <translation>Before gas</translation>
    </message>
    <message>
        <source>Порог 1, с</source>
        <translation>Alarm 1, s</translation>
    </message>
    <message>
        <source>Пик</source>
        <translation>Peak</translation>
    </message>
    <message>
        <source>Порог 2, с</source>
        <translation>Alarm 2, s</translation>
    </message>
    <message>
        <source>T50, с</source>
        <translation>T50, s</translation>
    </message>
    <message>
        <source>Порог 3, с</source>
        <translation>Alarm 3, s</translation>
    </message>
    <message>
        <source>T90, с</source>
        <translation>T90, s</translation>
    </message>
    <message>
        <source>Спад, с</source>
        <translation>Recovery, s</translation>
    </message>
    <message>
        <source>Бамп-
тест</source>
        <translation>Bump
test</translation>
    </message>
    <message>
        <source>Подайте газ. Когда показание установится, снимите газ и нажмите «Газ снят»</source>
        <translation>Apply the gas. Once the reading has settled, remove the gas and press “Gas removed”</translation>
    </message>
    <message>
        <source>Газ снят, ожидается спад показания</source>
        <translation>Gas removed, waiting for the reading to fall back</translation>
    </message>
    <message>
        <source>Нет показаний датчика: проверка не начата</source>
        <translation>No reading from the detector: the test has not started</translation>
    </message>
    <message>
        <source>Датчик в сервисном режиме: переведите его в рабочий режим</source>
        <translation>The detector is in service mode: put it into working mode</translation>
    </message>
    <message>
        <source>Датчик ещё не готов к измерению: проверка не начата</source>
        <translation>The detector is not measuring yet: the test has not started</translation>
    </message>
    <message>
        <source>Идёт другая операция с датчиком: проверка не начата</source>
        <translation>Another operation with the detector is under way: the test has not started</translation>
    </message>
    <message>
        <source>Задайте концентрацию поверочного газа</source>
        <translation>Enter the test gas concentration</translation>
    </message>
    <message>
        <source>Проверка пройдена</source>
        <translation>Test passed</translation>
    </message>
    <message>
        <source>Не пройдена: показание не достигло %1 % газа за %2 с</source>
        <translation>Failed: the reading did not reach %1 % of the gas within %2 s</translation>
    </message>
    <message>
        <source>Не пройдена: порог %1 не сработал</source>
        <translation>Failed: alarm %1 did not trip</translation>
    </message>
    <message>
        <source>Не пройдена: датчик сообщил о неисправности</source>
        <translation>Failed: the detector reported a fault</translation>
    </message>
    <message>
        <source>Проверка отменена</source>
        <translation>Test cancelled</translation>
    </message>
    <message>
        <source>Проверка прервана: связь с датчиком закончилась</source>
        <translation>Test interrupted: the connection to the detector ended</translation>
    </message>
    <message>
        <source>Проверка прервана: датчик не ответил на опрос</source>
        <translation>Test interrupted: the detector did not answer a poll</translation>
    </message>
    <message>
        <source>Проверка прервана: датчик перезапустился</source>
        <translation>Test interrupted: the detector restarted</translation>
    </message>
    <message>
        <source>Инженер, выполняющий калибровку: записывается в журнал и сертификат</source>
        <translation>The engineer doing the calibration: written to the journal and the certificate</translation>
    </message>
    <message>
        <source>Инженер</source>
        <translation>Engineer</translation>
    </message>
    <message>
        <source>Партия баллона с поверочным газом</source>
        <translation>Lot of the test gas cylinder</translation>
    </message>
    <message>
        <source>Партия</source>
        <translation>Lot</translation>
    </message>
    <message>
        <source>Срок годности баллона</source>
        <translation>Expiry date of the cylinder</translation>
    </message>
    <message>
        <source>dd.MM.yy</source>
        <translation>dd.MM.yy</translation>
    </message>
    <message>
        <source>годен до</source>
        <translation>expiry</translation>
    </message>
    <message>
        <source>Интервал до следующей калибровки, месяцев</source>
        <translation>Months until the next calibration is due</translation>
    </message>
    <message>
        <source> мес.</source>
        <translation> mo.</translation>
    </message>
    <message>
        <source>Сертификат</source>
        <translation>Certificate</translation>
    </message>
    <message>
        <source>Датчик не ответил на команду калибровки нуля, её итог неизвестен</source>
        <translation>The detector did not answer the zero calibration command; its outcome is unknown</translation>
    </message>
    <message>
        <source>Датчик не ответил на команду калибровки диапазона, её итог неизвестен</source>
        <translation>The detector did not answer the span calibration command; its outcome is unknown</translation>
    </message>
    <message>
        <source>Порог %1: %2 %3, %4, гистерезис %5 %3</source>
        <translation>Threshold %1: %2 %3, %4, hysteresis %5 %3</translation>
    </message>
    <message>
        <source>по понижению</source>
        <translation>falling</translation>
    </message>
    <message>
        <source>по превышению</source>
        <translation>rising</translation>
    </message>
    <message>
        <source>Порог 3: %1 %2, гистерезис %3 %2</source>
        <translation>Threshold 3: %1 %2, hysteresis %3 %2</translation>
    </message>
    <message>
        <source>Порог 3: выключен</source>
        <translation>Threshold 3: off</translation>
    </message>
    <message>
        <source>Сертификат составляется для подключённого датчика: подключите его</source>
        <translation>A certificate is made for the connected detector: connect it first</translation>
    </message>
    <message>
        <source>В журнале нет записей датчика %1: сертификату не из чего составиться</source>
        <translation>The journal has no rows of detector %1: there is nothing to make a certificate from</translation>
    </message>
    <message>
        <source>сертификат-%1.pdf</source>
        <translation>certificate-%1.pdf</translation>
    </message>
    <message>
        <source>PDF (*.pdf)</source>
        <translation>PDF (*.pdf)</translation>
    </message>
    <message>
        <source>Сертификат не записан: %1</source>
        <translation>The certificate was not written: %1</translation>
    </message>
    <message>
        <source>Сертификат записан: %1</source>
        <translation>Certificate written: %1</translation>
    </message>
    <message>
        <source>Калибровка датчика %1 просрочена: последняя %2, следующая была нужна до %3</source>
        <translation>Calibration of detector %1 is overdue: the last on %2, the next was due by %3</translation>
    </message>
    <message>
        <source>В журнале нет выполненной калибровки датчика %1</source>
        <translation>The journal has no completed calibration of detector %1</translation>
    </message>
    <message>
        <source>Проверка прервана: датчик перешёл в сервисный режим</source>
        <translation>Test interrupted: the detector went into service mode</translation>
    </message>
    <message>
        <source>Датчик не подтвердил запись параметров, но прочитанные обратно они совпадают с отправленными</source>
        <translation>The detector did not confirm the parameter write, but read back they match what was sent</translation>
    </message>
</context>
</TS>
