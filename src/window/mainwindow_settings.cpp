#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "atomicfile.h"
#include "inifile.h"
#include "registermodel.h"
#include "settingsfile.h"

using namespace RegisterModel;

namespace {

// The box has no parent window, a blank title and one OK button, like every
// settings-file complaint of the program.
void complain(const QString &text)
{
    QMessageBox::critical(nullptr, " ", text, QMessageBox::Ok);
}

} // namespace

void MainWindow::on_Export_clicked()
{
    if (!blockReadyOrExplain())
        return;
    const QString path = QFileDialog::getSaveFileName(this, tr("Файл настроек"), dir + "//setting.bin",
                                                      tr("Setting Files (*.bin);;All Files (*)"));
    if (path.isEmpty())
        return;
    // Remembered even if the file cannot be written: the user chose the place.
    dir = QFileInfo(path).path();
    session.storeControls();

    // A failed export never destroys a good earlier file, and says so.
    switch (writeFileAtomically(path, encodeSettings(session.parameterBlock()))) {
    case AtomicWrite::Written:
        break;
    case AtomicWrite::NotOpened:
        complain(tr("Ошибка открытия файла ") + path);
        break;
    case AtomicWrite::NotWritten:
        complain(tr("Ошибка записи файла ") + path);
        break;
    }
}

void MainWindow::on_Import_clicked()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Файл настроек"), dir,
                                                      tr("All Files (*);;Bin Files (*.bin)"));
    if (path.isEmpty())
        return;
    quint16 block[kBlockWords];
    std::copy(session.parameterBlock(), session.parameterBlock() + kBlockWords, block);
    switch (readSettingsFile(path, block)) {
    case SettingsRead::Read:
        break;
    case SettingsRead::NotOpened:
        complain(tr("Ошибка открытия файла") + path);
        return;
    case SettingsRead::WrongSize:
        complain(tr("Неверный размер файла настроек ") + path);
        return;
    case SettingsRead::NotRegularFile:
        complain(tr("Это не файл настроек, а папка, канал или устройство: ") + path);
        return;
    }
    importSettings(block, path);
}

void MainWindow::DataSave()
{
    save.portIndex = ui->cComPort->currentIndex();
    save.slaveAddress = static_cast<uint8_t>(ui->sbMB_Adr->value() & 0xFF);
    save.tabIndex = ui->tabWidget->currentIndex();
    FileSave();
}
