#include "ErrorDisplay.h"

#include "ApplicationTitle.h"

#include "platform/Exception.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

#include <exception>
#include <new>

namespace {

ErrorBoxRunner& Runner()
{
    static ErrorBoxRunner runner;
    return runner;
}

} // namespace

void SetErrorBoxRunner(ErrorBoxRunner runner)
{
    Runner() = std::move(runner);
}

void ShowErrorMessage(const QString& message)
{
    // A drag or a held button would otherwise keep the mouse while the box waits for OK.
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();

    QMessageBox box(QMessageBox::Critical, ApplicationTitle(), message + u'.', QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    if (Runner())
        Runner()(box);
    else
        box.exec();
}

void ShowCurrentException()
{
    try {
        throw;
    } catch (const Exception& e) {
        ShowErrorMessage(QString::fromUtf8(e.Message()));
    } catch (const std::bad_alloc&) {
        ShowErrorMessage(QString::fromUtf8(EOutOfMemory().Message()));
    } catch (const std::exception& e) {
        ShowErrorMessage(QString::fromUtf8(e.what()));
    }
}
