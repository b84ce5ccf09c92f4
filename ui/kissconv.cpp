// kissconv: the window of the KISS file convertor.
#include "KissApplication.h"
#include "MainWindow.h"

#include "platform/Folder.h"

int main(int argc, char** argv)
{
    platform::ExitCleanlyOnSignals(); // no half-written image or report is left on a signal
    KissApplication application(argc, argv);
    TfrmMain frmMain;
    // The file the desktop opens with the window (Qt's own options are already taken out).
    if (const QStringList arguments = QApplication::arguments(); arguments.size() > 1)
        frmMain.SetInputFile(arguments[1]);
    frmMain.show();
    application.exec();
    return 0;
}
