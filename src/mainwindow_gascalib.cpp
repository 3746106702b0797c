#include "mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::CalibCtrlDisable(bool) {}
void MainWindow::GazCalibrEnd() {}
void MainWindow::on_CalibZeroStart_clicked() {}
void MainWindow::on_CalibZeroSet_clicked() {}
void MainWindow::on_CalibZeroEsc_clicked() {}
void MainWindow::on_CalibDiapStart_clicked() {}
void MainWindow::on_CalibDiapSet_clicked() {}
void MainWindow::on_CalibDiapEsc_clicked() {}
void MainWindow::on_mode_service_clicked() {}
void MainWindow::on_mode_working_clicked() {}
