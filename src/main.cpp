#include <QApplication>
#include <QIcon>

#include "language.h"
#include "mainwindow.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(":/app.ico"));
    installTranslations(chosenLanguage(QProcessEnvironment::systemEnvironment()), translationFolders());
    MainWindow window;
    window.show();
    return app.exec();
}
