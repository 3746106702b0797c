#include "console.h"
#include "line.h"
#include "options.h"

QString helpText()
{
    QString text = QString::fromUtf8(R"(Usage: zorvel-detector-sim [OPTIONS]

A gas detector on a pseudo-terminal, for trying the configurator without
hardware, rehearsing a calibration, and end-to-end tests. It creates the pty
pair itself and prints the path of the port to open (e.g. /dev/pts/7) as the
first line of standard output. It is a Modbus RTU slave (9600 8N1 by default)
that answers 0x03, 0x04, 0x06 and 0x10 with a correct CRC, and the Modbus
exceptions 01 (unknown function), 02 (registers that do not exist) and 03 (a
bad count, or an unknown command code). Frames with a bad CRC and requests to
other slave addresses get no answer; writes to address 0 (broadcast) are
carried out without one. It runs until SIGINT/SIGTERM or the "quit" command.

Port and line
  --address N          slave address 1-247 (default 1). A write of another
                       address into holding register 1 (high byte) moves it.
  --link PATH          also make a symlink PATH to the port (replaced if it is
                       a symlink; removed on exit and when the port is closed)
  --fast               no line pacing and no turnaround: answers at once
  --baud N             pace of the answers (default 9600): 10 bits a character,
                       about 1.04 ms at 9600
  --turnaround MS      silence before an answer starts (default 5)
  --log FILE           the request log into FILE instead of standard output
  --quit-on-eof        end when standard input closes (for launchers)
  --exit-on-close      end after the port has been closed (fault "close" or
                       the "close" command); by default it stays and "reopen"
                       makes a new port
  --detector KEYS      one detector of a line on the port; repeat it for
                       each. KEYS is KEY=VALUE,... with the detector options
                       below as keys (address, serial, device-type, unit,
                       decimals, gas, ...) and fault=RULE (words of the rule
                       apart by blanks, e.g. "fault=delay 300 persist");
                       what KEYS leave out comes from the other options, and
                       each detector's --seed is the one before it plus 1.
                       The --fault rules go to the first detector. Each
                       detector has its own registers and answers at its
                       own address; two at one address both answer, and
                       their bytes collide (AND of the two) into a garbled
                       answer, logged as event=collision. A slow one's
                       answer does not hold up another's that is due
                       first. On a line of several, log lines end in
                       detector=N. E.g.
                       --detector address=1,serial=1001 --detector
                       address=2,serial=1002,unit=ppm,decimals=2

The detector (quantities in display units; d = decimal count)
  --device-type T      code 0-255 or VELOR (0x10, default), VELOR_KT, TRIVAN,
                       TRIVAN_RM, TRIVAN-KT, PELMAR; holding 0, high byte
  --unit U             index 0-7 or vol (%Об.д), ppm, ppb, lel (%НКПР, default),
                       mg/m3, ug/m3; holding 4, bits 4-6
  --decimals D         decimal count 0-3 (default 1); holding 4, bits 8-9
  --ble N              BLE mode 0-3 (default 1); holding 4, bits 14-15
  --hart N             HART address 0-127 (default 1); holding 2
  --serial N           sensor serial number (default 20240117); holding 20-21
  --firmware X.Y.Z     firmware version (default 1.2.37); input 259-260
  --range X            display range (default 50); holding 6 and the 20 mA
                       point 113-114. Thresholds follow it: 1 at 20 %, 2 at
                       40 % (both "above"), 3 at 80 % (off); span value 50 %.
  --gas NAME           gas name field, holding 32-39 (default: the target gas)
  --target-gas N       target-gas number, input 334 (default 1, "CH4")
  --main-gas N         main-gas number, input 335 (default 2, "C3H8")
  --concentration X    target-gas concentration (default 2.0)
  --main-concentration X  reported while the gas name field holds the main
                       gas's name (default 1.5 x --concentration)
  --drift X            amplitude of a slow sine drift (default 0.5)
  --drift-period S     its period in seconds (default 60)
  --noise X            amplitude of random noise on each reading (default 0.05)
  --steady             no drift and no noise (overrides --drift and --noise)
  --gas-time-constant S  time constant of the reading's rise to an applied
                       test gas and its fall after it (default 5 s; 0: at
                       once); the "testgas" command applies and removes it
  --calib-delay MS     how long a saved gas calibration keeps running (default 3000)
  --seed N             seed for noise, garbage bytes and random faults (default 1)

Faults
  --fault RULE         put a fault on answers; may be repeated
  --silent-after N     answer N requests, then none (= --fault silent=N)
  RULE is KIND[=ARG] followed by modifiers, separated by commas (or blanks):
    noanswer           no answer (the request is still carried out)
    badcrc             the answer's CRC is wrong
    truncate[=N]       only the first N bytes go out (default half the answer)
    exception[=CODE]   an exception answer, default 04; not carried out
    delay[=MS]         MS more before the answer (default 500)
    gap[=MS]           MS of silence in the middle of the answer (default 20)
    garbage[=N]        N random bytes right before the answer (default 3)
    wrongaddr[=A]      a correct answer from slave A (default the next address)
    close              close the pty instead of answering: the port vanishes
    hidebits[=MASK]    status bits MASK cleared in an answer that carries the
                       status word (default 768, both calibration bits): with
                       fc=04 and count=N the bit shows N polls late, with
                       persist never
    restart[=MS]       the detector restarts instead of answering: silent MS ms
                       (default 1200), then in working mode with any gas
                       calibration, current calibration or test ended
    echo[=MS]          the request comes back first, as through an echoing
                       adapter; the answer MS later (default 0: glued to it)
    ignore=N           a write over register N is answered as done, but N
                       keeps its value (a read-back then differs)
    silent[=N]         answer N more requests, then none (noanswer,persist,after=N)
  modifiers:
    once               the next matching request only (default)
    count=N            the next N matching requests
    persist            every matching request until "fault clear"
    rate=P             each matching request with probability P (0-1)
    after=N            let N matching requests pass first
    fc=XX              only requests of function XX (hex: 03, 04, 06, 10)
    addr=N             only requests starting at register N
    writeto=N          only writes (06, and 10 over a range) that include
                       register N
  Examples: --fault noanswer,persist   --fault delay=800,rate=0.3
            --fault exception=2,fc=06,addr=12   --fault badcrc,after=3
            --fault exception,persist,writeto=13 (the detector refuses
            every write of register 13, single or in a block)
            --fault exception,fc=10 (it refuses the next block write)
            --fault echo,persist (every request echoed)
  Several faults may be active; a request gets the first that fires.

Behaviour
  Holding 3 (mode): bit 7 set (0x0080) is service mode, status bit 7; 0 is
  working mode. Block writes (0x10) set the mode the same way.
  Holding 12 (commands, single writes only; reads as 0, ignored in blocks):
    0x185D zero calibration: status bit 8, the reading goes to 0
    0x64C4 span calibration at holding 13: status bit 9, the reading goes there
    0x7294 save: the running calibration ends after --calib-delay ms
    0x5530 / 0x55C3 current output to its 4 mA / 20 mA calibration point;
           a save then logs the value of holding 17 as the measured current
    0x3535 current-output test at holding 17 (hundredths of a mA); 0 ends it
  Output current (hundredths of a mA) is input 274 and the "current" command:
  4-20 mA over the display range in working mode, holding 16 in service mode.
  Status bits 1, 2, 4 follow the concentration against thresholds 1, 2, 3 with
  their hystereses; bit 5 is set above the display range.

Request log (standard output after the path line, or --log FILE), one line
per request and per event, seconds since start first, fields key=value:
  12.345 slave=1 fc=04 addr=256 count=80 fault=none reply=ok conc=20
  12.360 slave=1 fc=06 addr=3 value=128 fault=none reply=ok
  12.400 slave=1 fc=10 addr=0 count=96 values=4096,256,... fault=none reply=ok
  12.500 slave=1 fc=03 addr=300 count=2 fault=none reply=exception:02
  12.600 slave=1 fc=04 addr=256 count=80 fault=delay:500 reply=ok
  12.700 slave=5 fc=04 addr=256 count=80 fault=none reply=ignored
  reply is what the detector made of the request: ok, exception:NN, ignored
  (another slave) or broadcast; fault is what then happened to the answer.
  conc is the raw concentration word (input 272) an 0x04 answer carried.
  A frame with a bad CRC is logged as event=badframe and not answered.
  Events: event=mode value=service|working, event=address value=N,
  event=calib action=zero|span|save|done [value=N] [kind=zero|span],
  event=current value=N source=measure|service|calib4|calib20|test,
  event=current action=calibrated point=4|20 value=N,
  event=gas name=NAME role=target|main|other, event=testgas value=X|off,
  event=badframe hex=...,
  event=collision slave=A answers=N,
  event=closed, event=reopened path=PATH.

Commands on standard input (one a line; each reply ends with a line "ok" or
"error REASON"; reply lines never start with a digit):
)");
    for (const QString &line : Console::commandHelp() + Line::commandHelp())
        text += "  " + line + "\n";
    text += "\n--help prints this text and --version the version.\n"
            "Exit status: 0 normally, 1 when the pty cannot be set up, 2 on a bad option.\n";
    return text;
}
