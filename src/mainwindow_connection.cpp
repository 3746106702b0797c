#include "mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::fillPortList() {}
void MainWindow::on_Start_clicked() {}
void MainWindow::on_Stop_clicked() {}
void MainWindow::on_PortScan_clicked() {}
