#include "app/Startup.h"
#include "app/AppControl.h"
#include "app/Settings.h"
#include "app/Unit23.h"
#include "data/Unit6.h"
#include "data/DbError.h"
#include "ui/Msg.h"
#include "journal/EntryHistory.h"
#include "journal/Unit1.h"
#include "journal/Unit11.h"
#include "reference/Unit10.h"
#include "reference/Unit2.h"
#include "reference/Unit22.h"
#include "reference/Unit26.h"
#include "reference/Unit3.h"
#include "reference/Unit4.h"
#include "reference/Unit5.h"
#include "reference/Unit7.h"
#include "reference/Unit8.h"
#include "reference/Unit9.h"
#include "maintenance/Unit24.h"
#include "maintenance/Unit25.h"
#include "reports/Unit15.h"
#include "reports/Unit16.h"
#include "reports/Unit17.h"
#include "reports/Unit18.h"
#include "reports/PayStatementWindow.h"
#include "reports/Unit20.h"
#include "reports/Unit21.h"
#include "timesheets/MonthCheck.h"
#include "timesheets/Unit19.h"
#include "timesheets/Unit27.h"

#include <cstdio>

void CreateRemainingWindows()
{
    // The start-up order of the windows.
    new TForm2();
    new TForm3();
    new TForm4();
    new TForm5();
    new TForm7();
    new TForm8();
    new TForm9();
    new TForm10();
    new TForm11();
    new TForm18();
    new TForm19();
    new TForm21();
    new TForm15();
    new TForm16();
    new TForm17();
    new TForm20();
    new TForm22();
    new TForm24();
    new TForm25();
    new TForm26();
    new TForm27();
    new TMonthCheckForm();
    new EntryHistoryWindow();
    new TPayStatements();
}

bool CreateWindows(const QStringList &args, int buildDate, int buildTime)
{
    auto *f1 = new TForm1();
    f1->BuildDate = buildDate;
    f1->BuildTime = buildTime;
    if (!OpenSession(f1, args))
        return false;
    CreateRemainingWindows();
    return true;
}

bool OpenSession(TForm1 *journal, const QStringList &args)
{
    new TDataModule6(journal);
    journal->AttachJournals();
    // Command line, then the user's and the system-wide settings file, then
    // the built-in values.
    const ConnectionSettings settings = ChooseConnection(args);
    ReportSettingsProblems(settings);
    try {
        DataModule6->ADO_DB.close();
        DataModule6->ADO_DB.setConnectionString(ConnectionString(settings.database, settings.server));
        DataModule6->ADO_DB.open();
        new TForm23();
        Form23->show();
        Form23->raise();
        Form23->activateWindow();
    } catch (const std::exception &e) {
        ReportConnectionFailure(settings, e);
        Msg::error(QStringLiteral("Подключение к БД отсутсвует!!!"), QStringLiteral("Ошибка!"));
        EndProgram();
        journal->close();
        return false;
    }
    return true;
}

namespace {
void toStderr(const QString &line)
{
    const QByteArray text = (QStringLiteral("tabel: ") + line + QLatin1Char('\n')).toUtf8();
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
}
} // namespace

void ReportSettingsProblems(const ConnectionSettings &s)
{
    for (const QString &p : s.problems) {
        toStderr(p);
        Msg::warning(p, QStringLiteral("Настройки подключения"));
    }
}

void ReportConnectionFailure(const ConnectionSettings &s, const std::exception &e)
{
    toStderr(QStringLiteral("нет подключения к БД: ") + DescribeConnection(s));
    const auto *db = dynamic_cast<const DbError *>(&e);
    const QString why = db ? db->text() : QString::fromLocal8Bit(e.what());
    if (!why.trimmed().isEmpty())
        toStderr(QStringLiteral("ответ драйвера: ") + why.simplified());
}
