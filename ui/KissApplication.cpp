#include "KissApplication.h"

#include "ErrorDisplay.h"
#include "Pictures.h"

#include <QSettings>

KissApplication::KissApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    if (settingsDir_.isValid()) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir_.path());
    }
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
