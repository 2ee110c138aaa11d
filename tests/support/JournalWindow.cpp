#include "support/JournalWindow.h"
#include "app/BuildStamp.h"
#include "app/Unit23.h"
#include "data/Unit6.h"
#include "journal/Unit1.h"

#include <QTimer>

TForm1 *NewJournalWindow(bool withLogin)
{
    auto *f1 = new TForm1();
    f1->BuildDate = kBuildDate;
    f1->BuildTime = kBuildTime;
    f1->Timer1->stop();
    if (withLogin)
        new TForm23();
    return f1;
}

void LoadJournalsAsLoggedIn(const QDate &day)
{
    for (int s = 1; s <= 4; ++s)
        DataModule6->journal(s).setParam(QStringLiteral("ok"), TDataModule6::HiddenMark());
    Form1->LoadJournals(day);
}
