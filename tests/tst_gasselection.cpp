#include <QtTest>

#include <QStatusBar>

#include "registermodel.h"
#include "windowonsimulator.h"

// Switching the detector between its target and main gas, end to end
// against the simulated detector: the block write each switch makes, the
// guarded Stop and Exit, and the switch back on a tab change.
class TestGasSelection : public QObject
{
    Q_OBJECT
private slots:
    void gasSwitch_data();
    void gasSwitch();
    void tabChangeSwitchesBack_data();
    void tabChangeSwitchesBack();
    void switchNotAllowed_data();
    void switchNotAllowed();
    void noRadioCheckedDoesNothing();
    void reloadOrImportDuringMainGasKeepsTarget_data();
    void reloadOrImportDuringMainGasKeepsTarget();
};

namespace {

const QStringList kSimulator{"--fast", "--steady"};
const quint16 kServiceModeBit = 0x0080;

// The block writes of one tick: the gas name each first half carried and
// whether its mode register had the service-mode bit.
struct BlockWrites
{
    QStringList names;
    bool allInServiceMode = true;
    int requests = 0;
};

BlockWrites blockWritesOf(const QVector<SimRequest> &requests)
{
    BlockWrites found;
    for (const SimRequest &request : requests) {
        if (!request.isWrite())
            continue;
        ++found.requests;
        const QString name = WindowOnSimulator::gasNameOf(request);
        if (name.isNull())
            continue;
        found.names << name;
        found.allInServiceMode = found.allInServiceMode && (request.values.value(3) & kServiceModeBit);
    }
    return found;
}

} // namespace

void TestGasSelection::gasSwitch_data()
{
    QTest::addColumn<bool>("toMain");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("imported");   // a file imported and not written first
    QTest::addColumn<QString>("fault");   // put on the detector before the switch
    QTest::newRow("main gas") << true << "C3H8" << false << "";
    // Already in the target gas: the block still goes out, in service mode.
    QTest::newRow("target gas") << false << "CH4" << false << "";
    // The detector's own file, another decimal count and gas in it, stays in
    // the controls; the switch writes the detector's block as read.
    QTest::newRow("main gas after an import") << true << "C3H8" << true << "";
    QTest::newRow("main gas refused") << true << "CH4" << false << "exception,fc=10";
}

// A switch writes the detector's own block with only the gas name and the
// service-mode bit changed, and the window follows what the detector took.
void TestGasSelection::gasSwitch()
{
    QFETCH(bool, toMain);
    QFETCH(QString, name);
    QFETCH(bool, imported);
    QFETCH(QString, fault);

    WindowOnSimulator rig;
    QVERIFY2(rig.connect(kSimulator), qPrintable(rig.errorText()));
    Ui_MainWindow *ui = rig.ui;
    QCOMPARE(ui->gaz_c->text(), QString("CH4"));
    QCOMPARE(ui->gaz_osn->text(), QString("C3H8"));
    QVERIFY(rig.probe.gasSwitchAllowed());
    rig.showTab(GasCalibrationTab);
    QVERIFY(ui->GazSet->isEnabled());
    QVector<quint16> expected = rig.sim.holding(0, RegisterModel::kDeviceWords);
    QVector<quint16> file = rig.detectorsBlock();
    if (imported) {
        file[RegisterModel::ModbusAddressWord] = 0x0900;
        file[RegisterModel::FormatWord] ^= 0x0300;
        RegisterModel::encodeText("NH3", file.data() + RegisterModel::GasNameWord, RegisterModel::kGasNameBytes);
        QVERIFY(rig.importBlock(file));
    }
    if (!fault.isEmpty())
        QVERIFY(rig.sim.command("fault " + fault));

    rig.click(toMain ? ui->rbGazOsn : ui->rbGazC);
    rig.click(ui->GazSet);
    // Held from the click on: a switch to the main gas never stays behind.
    QCOMPARE(ui->Stop->isEnabled(), !toMain);
    QCOMPARE(ui->Exit->isEnabled(), !toMain);

    const BlockWrites written = blockWritesOf(rig.tick());
    const bool taken = fault.isEmpty();
    QCOMPARE(written.requests, taken ? 2 : 1);
    QVERIFY(written.allInServiceMode);
    QCOMPARE(rig.probe.mainGasActive(), toMain && taken);
    QCOMPARE(ui->rbGazOsn->isChecked(), toMain && taken);
    QCOMPARE(ui->Stop->isEnabled(), !(toMain && taken));
    QCOMPARE(ui->Exit->isEnabled(), !(toMain && taken));
    QCOMPARE(rig.probe.activeGasName(), imported && !taken ? QString("NH3") : name);
    QCOMPARE(rig.probe.targetGasName(), QString("CH4"));
    if (taken) {
        RegisterModel::encodeText(name, expected.data() + RegisterModel::GasNameWord, RegisterModel::kGasNameBytes);
        expected[RegisterModel::ModeRegisterWord] |= kServiceModeBit;
    }
    QCOMPARE(rig.sim.holding(0, RegisterModel::kDeviceWords), expected);
    QCOMPARE(rig.probe.regHold()[RegisterModel::SerialLowWord], file[RegisterModel::SerialLowWord]);
    if (!taken) {
        QCOMPARE(rig.window.statusBar()->currentMessage(),
                 QString("Датчик не принял переключение на основной газ и остался на целевом"));
        return;
    }

    // Back through the button: the text of gaz_c goes out and the window may
    // be left again.
    rig.click(ui->rbGazC);
    rig.click(ui->GazSet);
    QCOMPARE(blockWritesOf(rig.tick()).names, QStringList{"CH4"});
    QVERIFY(!rig.probe.mainGasActive());
    QVERIFY(ui->Stop->isEnabled());
    QVERIFY(ui->Exit->isEnabled());
}

void TestGasSelection::tabChangeSwitchesBack_data()
{
    QTest::addColumn<bool>("mainGas");
    QTest::addColumn<int>("refusals");   // of the switch back
    QTest::newRow("main gas active") << true << 0;
    QTest::newRow("target gas") << false << 0;
    QTest::newRow("switch back refused twice") << true << 2;
}

// A tab change takes a switched-in main gas back with one block write of the
// target name, clears both status lines and changes nothing else. A switch
// back the detector refuses is tried again at every tick, and the window
// stays held until it is taken.
void TestGasSelection::tabChangeSwitchesBack()
{
    QFETCH(bool, mainGas);
    QFETCH(int, refusals);

    WindowOnSimulator rig;
    QVERIFY2(rig.connect(kSimulator), qPrintable(rig.errorText()));
    Ui_MainWindow *ui = rig.ui;
    rig.showTab(GasCalibrationTab);
    if (mainGas) {
        rig.click(ui->rbGazOsn);
        rig.click(ui->GazSet);
        rig.tick();
    } else {
        ui->rbGazOsn->setChecked(true);   // chosen, not switched
    }
    ui->calib_stat->setText("gas line");
    ui->calib_iout_stat->setText("current line");
    if (refusals)
        QVERIFY(rig.sim.command(QString("fault exception,fc=10,count=%1").arg(refusals)));

    rig.showTab(ParametersTab);
    QCOMPARE(ui->calib_stat->text(), QString());
    QCOMPARE(ui->calib_iout_stat->text(), QString());
    for (int i = 0; i < refusals; ++i) {
        QCOMPARE(blockWritesOf(rig.tick()).names, QStringList{"CH4"});
        QVERIFY(rig.probe.mainGasActive());
        QVERIFY(ui->rbGazOsn->isChecked());
        QVERIFY(!ui->Stop->isEnabled());
        QVERIFY(!ui->Exit->isEnabled());
        QVERIFY(rig.window.statusBar()->currentMessage().startsWith("Датчик не принял возврат на целевой газ CH4"));
    }

    const BlockWrites written = blockWritesOf(rig.tick());
    QCOMPARE(written.requests, mainGas ? 2 : 0);
    QCOMPARE(written.names, mainGas ? QStringList{"CH4"} : QStringList());
    QVERIFY(written.allInServiceMode);
    QVERIFY(ui->rbGazC->isChecked());
    QVERIFY(!rig.probe.mainGasActive());
    QVERIFY(ui->Stop->isEnabled());
    QVERIFY(ui->Exit->isEnabled());
    QCOMPARE(rig.probe.activeGasName(), QString("CH4"));

    rig.showTab(SettingsTab);
    QCOMPARE(blockWritesOf(rig.tick()).requests, 0);

    // "Применить" keeps the detector in the service mode a switch put it in.
    rig.showTab(ParametersTab);
    rig.click(ui->SetParam);
    const BlockWrites applied = blockWritesOf(rig.tick());
    QCOMPARE(applied.names, QStringList{"CH4"});
    QVERIFY(!mainGas || applied.allInServiceMode);
}

void TestGasSelection::switchNotAllowed_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("equal names") << QStringList{"--target-gas", "3", "--main-gas", "3"};
    QTest::newRow("target gas 0") << QStringList{"--target-gas", "0"};
    QTest::newRow("target gas 33") << QStringList{"--target-gas", "33"};
    QTest::newRow("main gas 0") << QStringList{"--main-gas", "0"};
    QTest::newRow("main gas 33") << QStringList{"--main-gas", "33"};
}

// A gas number out of range leaves its field empty on a first connection,
// and an empty or repeated name allows no switch: the button stays off and
// a click on it does nothing.
void TestGasSelection::switchNotAllowed()
{
    QFETCH(QStringList, arguments);

    WindowOnSimulator rig;
    QVERIFY2(rig.connect(kSimulator + arguments), qPrintable(rig.errorText()));
    Ui_MainWindow *ui = rig.ui;
    rig.showTab(GasCalibrationTab);
    QVERIFY(!rig.probe.gasSwitchAllowed());
    QVERIFY(!ui->GazSet->isEnabled());

    rig.click(ui->rbGazOsn);
    rig.click(ui->GazSet);
    QVERIFY(!rig.probe.mainGasActive());
    QCOMPARE(rig.tickWrites(), QStringList());

    // Nor does the end of a calibration turn it on.
    rig.click(ui->CalibZeroStart);
    rig.click(ui->CalibZeroEsc);
    QVERIFY(!ui->GazSet->isEnabled());
}

// Possible when the gas table was read but no block: the block read failed
// and the tab was never changed.
void TestGasSelection::noRadioCheckedDoesNothing()
{
    WindowOnSimulator rig;
    QVERIFY2(rig.connect(kSimulator + QStringList{"--fault", "exception=2,fc=03,persist"}),
             qPrintable(rig.errorText()));
    Ui_MainWindow *ui = rig.ui;
    QVERIFY(rig.probe.gasSwitchAllowed());
    QVERIFY(!ui->rbGazC->isChecked());
    QVERIFY(!ui->rbGazOsn->isChecked());

    QMetaObject::invokeMethod(&rig.window, "on_GazSet_clicked", Qt::DirectConnection);
    QVERIFY(!rig.probe.reqWrite());
    QVERIFY(ui->Exit->isEnabled());
    QCOMPARE(rig.tickWrites(), QStringList());
}

void TestGasSelection::reloadOrImportDuringMainGasKeepsTarget_data()
{
    QTest::addColumn<bool>("import");
    QTest::newRow("Обновить") << false;
    QTest::newRow("Импорт") << true;
}

// While the main gas is in, the detector's name field holds the main gas and
// a file may hold any: neither becomes the target that switching back writes.
void TestGasSelection::reloadOrImportDuringMainGasKeepsTarget()
{
    QFETCH(bool, import);

    WindowOnSimulator rig;
    QVERIFY2(rig.connect(kSimulator), qPrintable(rig.errorText()));
    Ui_MainWindow *ui = rig.ui;
    rig.showTab(GasCalibrationTab);
    rig.click(ui->rbGazOsn);
    rig.click(ui->GazSet);
    rig.tick();

    if (import) {
        QVector<quint16> file = rig.detectorsBlock();
        RegisterModel::encodeText("NH3", file.data() + RegisterModel::GasNameWord, RegisterModel::kGasNameBytes);
        QVERIFY(rig.importBlock(file));
    } else {
        rig.click(ui->Reload);
    }
    rig.tick();
    QCOMPARE(rig.probe.targetGasName(), QString("CH4"));
    QVERIFY(rig.probe.mainGasActive());
    QVERIFY(ui->rbGazOsn->isChecked());
    QVERIFY(!ui->Stop->isEnabled());
    QVERIFY(!ui->Exit->isEnabled());

    rig.showTab(CurrentOutputTab);
    QCOMPARE(blockWritesOf(rig.tick()).names, QStringList{"CH4"});
}

QTEST_MAIN(TestGasSelection)
#include "tst_gasselection.moc"
