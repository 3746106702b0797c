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
</context>
</TS>
