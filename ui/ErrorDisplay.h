#pragma once

#include <QString>

#include <functional>

class QMessageBox;

// The title of this process's program file (ApplicationTitleFor); it heads the error boxes.
QString ApplicationTitle();

// The application's display of the error in flight (call it from a catch block), which ended
// the handling of an event: a modal box with its text (CurrentErrorBoxText), the application's
// title, the stop icon and one OK button. The program goes on afterwards with whatever state the
// failed action left.
void ShowCurrentException();

// Runs the handling of one event and shows the error that ends it. Qt's widget library is built
// without exception support, so an error must not unwind through its frames: every event that
// reaches our code enters through here.
template <typename Handler> void RunHandler(Handler&& handler)
{
    try {
        handler();
    } catch (...) {
        ShowCurrentException();
    }
}

// How the finished box is run: exec() unless replaced. Tests read the box instead of clicking
// it; an empty runner restores exec().
using ErrorBoxRunner = std::function<void(QMessageBox&)>;
void SetErrorBoxRunner(ErrorBoxRunner runner);
