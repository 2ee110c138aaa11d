#include "ui/ProgramEnd.h"

#include <QCoreApplication>

namespace {
bool g_endRequested = false;
}

void EndProgram()
{
    g_endRequested = true;
    QCoreApplication::exit(0);
}

bool EndRequested() { return g_endRequested; }
void ResetEndRequested() { g_endRequested = false; }
