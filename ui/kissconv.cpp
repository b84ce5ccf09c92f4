// kissconv: the window of the KISS file convertor.
#include "KissApplication.h"
#include "MainWindow.h"

int main(int argc, char** argv)
{
    KissApplication application(argc, argv);
    TfrmMain frmMain;
    frmMain.show();
    application.exec();
    return 0;
}
