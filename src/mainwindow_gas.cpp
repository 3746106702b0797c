#include "mainwindow.h"
#include "ui_mainwindow.h"

void MainWindow::on_tabWidget_currentChanged(int) {}
void MainWindow::on_GazSet_clicked() {}
void MainWindow::GazReturnToCelevoy() {}
