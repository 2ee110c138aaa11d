#include "app/Startup.h"
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
#include "reports/Unit18.h"

void CreateRemainingWindows()
{
    // Windows join here in the start-up order as they are built:
    // TForm2, TForm3, TForm4, TForm5, TForm7, TForm8, TForm9, TForm10,
    // TForm11, TForm18, TForm19, TForm21, TForm15, TForm16, TForm17,
    // TForm20, TForm22, TForm24, TForm25, TForm26, TForm27.
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
    new TForm22();
    new TForm26();
}

bool CreateWindows(const QStringList &args, int buildDate, int buildTime)
{
    auto *f1 = new TForm1();
    f1->BuildDate = buildDate;
    f1->BuildTime = buildTime;
    if (!f1->FormCreate(args))
        return false;
    CreateRemainingWindows();
    return true;
}
