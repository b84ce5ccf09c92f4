// kissconv: the window of the KISS file convertor.
#include "KissApplication.h"
#include "MainWindow.h"

#include "platform/Folder.h"

int main(int argc, char** argv)
{
    platform::ExitCleanlyOnSignals(); // no half-written image or report is left on a signal
    KissApplication application(argc, argv);
    TfrmMain frmMain;
    frmMain.show();
    application.exec();
    return 0;
}
