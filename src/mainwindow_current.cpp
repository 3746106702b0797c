#include "mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::CalibIoutCtrlDisable(bool) {}
void MainWindow::on_Calib4maStart_clicked() {}
void MainWindow::on_Calib4maSet_clicked() {}
void MainWindow::on_Calib4maStop_clicked() {}
void MainWindow::on_Calib20maStart_clicked() {}
void MainWindow::on_Calib20maSet_clicked() {}
void MainWindow::on_Calib20maStop_clicked() {}
void MainWindow::on_Test4mA_clicked() {}
void MainWindow::on_Test20mA_clicked() {}
void MainWindow::on_Test_clicked() {}
void MainWindow::on_TestStop_clicked() {}
