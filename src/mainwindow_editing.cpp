#include "mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::CtrlEnable(bool) {}
void MainWindow::CtrlSetRegHold(const quint16 *) {}
void MainWindow::CtrlSetRegHoldSerNum() {}
void MainWindow::MemSetRegHold(quint16 *) {}
void MainWindow::on_Reload_clicked() {}
void MainWindow::on_Write_clicked() {}
void MainWindow::on_SetParam_clicked() {}
