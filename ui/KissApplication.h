#pragma once

#include <QApplication>

// The application object: its icon, and the last stop of every error that leaves the handling
// of an event, which it shows in the error box instead of ending the program.
class KissApplication : public QApplication {
public:
    KissApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
