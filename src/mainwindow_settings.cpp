#include "mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::on_Export_clicked() {}
void MainWindow::on_Import_clicked() {}
void MainWindow::DataSave() {}
