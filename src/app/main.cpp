#include "app/AppControl.h"
#include "app/BuildStamp.h"
#include "app/CommandLine.h"
#include "app/Startup.h"

#include <cstdio>

#ifndef TABEL_VERSION
#define TABEL_VERSION "0"
#endif

int main(int argc, char **argv)
{
    // --help and --version are answered before the user interface starts:
    // no display is needed and no database is touched.
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const QString info = InfoOptionText(args, QStringLiteral(TABEL_VERSION), kBuildDate, kBuildTime);
    if (!info.isEmpty()) {
        const QByteArray text = info.toUtf8();
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
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
