#include "app/BytelonApp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    CBytelonApp theApp;
    if (!theApp.InitInstance())
        return 1;
    return theApp.Run();
}
