// Converts a doll through the window and saves a picture of the window afterwards.
// Usage: window_screenshot CONFIG.cnf PICTURE.png (the output goes to the current directory).
#include "ui/ErrorDisplay.h"
#include "ui/KissApplication.h"
#include "ui/MainWindow.h"

#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    KissApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_screenshot CONFIG.cnf PICTURE.png\n");
        return 2;
    }
    int status = 0;
    SetErrorBoxRunner([&status](QMessageBox& box) {
        std::fprintf(stderr, "window_screenshot: %s\n", box.text().toUtf8().constData());
        status = 1;
    });
    TfrmMainServices services = MachineServices();
    services.startEditor = [](const std::string&) {};
    TfrmMain window(services);
    window.move(0, 0);
    window.show();
    window.findChild<QLineEdit*>("edInFile")
        ->setText(QDir::toNativeSeparators(QString::fromLocal8Bit(argv[1])));

    QTimer::singleShot(300, [&] {
        window.findChild<QPushButton*>("btnConv")->click();
        QTimer::singleShot(300, [&] {
            if (!window.grab().save(QString::fromLocal8Bit(argv[2]))) status = 1;
            application.quit();
        });
    });
    application.exec();
    return status;
}
