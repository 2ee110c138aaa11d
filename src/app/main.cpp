#include "app/AppControl.h"
#include "app/BuildStamp.h"
#include "app/Startup.h"

int main(int argc, char **argv)
{
    // With TZ naming the zone file, the C library does not look the local zone
    // up again for every timestamp the journals read.
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", ":/etc/localtime");
    Application app(argc, argv);
    InstallRussian(app);
    QApplication::setQuitOnLastWindowClosed(true);
    if (!CreateWindows(QCoreApplication::arguments(), kBuildDate, kBuildTime))
        return 0;
    app.exec();
    return 0;
}
