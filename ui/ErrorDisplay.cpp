#include "ErrorDisplay.h"

#include "common/WindowText.h"

#include <QFile>

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

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

QString ApplicationTitle()
{
    return QString::fromStdString(ApplicationTitleFor(
        QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString()));
}

void ShowCurrentException()
{
    const QString text = QString::fromStdString(CurrentErrorBoxText());
    // A drag or a held button would otherwise keep the mouse while the box waits for OK.
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();

    QMessageBox box(QMessageBox::Critical, ApplicationTitle(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    if (Runner())
        Runner()(box);
    else
        box.exec();
}
