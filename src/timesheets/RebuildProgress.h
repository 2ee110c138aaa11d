#pragma once
#include "data/MonthPeriod.h"
#include "timesheets/MonthRebuild.h"

#include <functional>

class QProgressBar;

namespace RebuildProgress {

// A month rebuild as the timesheet windows run it: the shown datasets closed
// (closeShown), the progress bar shown over the month's days and moved day
// by day, the rebuild run with that progress, the datasets opened again
// (openShown) and the bar hidden. When the rebuild fails the month is as it
// was: the bar is hidden, the datasets are shown again (a failure there is
// passed over) and the rebuild's failure is thrown on for the window to
// report.
void Run(QProgressBar *bar, const MonthPeriod &month, const std::function<void()> &closeShown,
         const std::function<void()> &openShown,
         const std::function<void(const MonthRebuild::Progress &)> &rebuild);

} // namespace RebuildProgress
