#include "app/AppControl.h"
#include "app/BuildStamp.h"
#include "app/Startup.h"

int main(int argc, char **argv)
{
    Application app(argc, argv);
    InstallRussian(app);
    QApplication::setQuitOnLastWindowClosed(true);
    if (!CreateWindows(QCoreApplication::arguments(), kBuildDate, kBuildTime))
        return 0;
    app.exec();
    return 0;
}
