#pragma once

#include <QString>

#include <functional>

class QMessageBox;

// The application's display of an error that ended the handling of an event: a modal box with
// the message and a full stop (always added), the application's title, the stop icon and one
// OK button. The program goes on afterwards with whatever state the failed action left.
void ShowErrorMessage(const QString& message);

// Shows the exception in flight; call it from a catch block. The system's own errors show
// their message, a failed memory request the out-of-memory message; other kinds pass on.
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
