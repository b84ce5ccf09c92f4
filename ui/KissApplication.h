#pragma once

#include <QApplication>
#ifdef _WIN32
#include <QTemporaryDir>
#endif

// The application object: its icon, and the last stop of every error that leaves the handling
// of an event, which it shows in the error box instead of ending the program.
class KissApplication : public QApplication {
public:
    KissApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

#ifdef _WIN32
private:
    // Qt's file dialog keeps its history in the user's settings; the program keeps nothing
    // between starts, so Qt's settings live in a folder that ends with the process.
    QTemporaryDir settingsDir_;
#endif
};
