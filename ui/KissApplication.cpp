#include "KissApplication.h"

#include "ErrorDisplay.h"
#include "Pictures.h"

#include <QSettings>

KissApplication::KissApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // Qt's file dialog keeps its history in the user's settings; the program keeps nothing
    // between starts. Here they go where no folder can be made (under a device), so they stay
    // in memory and nothing is left to clean up, however the program ends.
    const QString settings = QStringLiteral("/dev/null/kissconv-settings");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings);
    setWindowIcon(ProgramIcon());
}

bool KissApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowCurrentException();
        return true;
    }
}
