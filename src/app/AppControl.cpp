#include "app/AppControl.h"
#include "data/DbError.h"
#include "ui/Msg.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

Application::Application(int &argc, char **argv) : QApplication(argc, argv) {}

bool Application::notify(QObject *receiver, QEvent *e)
{
    try {
        return QApplication::notify(receiver, e);
    } catch (const std::exception &ex) {
        ShowException(ex);
    } catch (...) {
        Msg::error(QStringLiteral("Неизвестная ошибка"), QStringLiteral("Ошибка"));
    }
    return false;
}

void InstallRussian(QCoreApplication &app)
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char *name : {"qtbase_ru", "qt_ru"}) {
        auto *t = new QTranslator(&app);
        if (t->load(QString::fromLatin1(name), dir))
            QCoreApplication::installTranslator(t);
        else
            delete t;
    }
}
