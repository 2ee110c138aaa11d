#include "timesheets/RebuildProgress.h"

#include <QProgressBar>

namespace RebuildProgress {

void Run(QProgressBar *bar, const MonthPeriod &month, const std::function<void()> &closeShown,
         const std::function<void()> &openShown,
         const std::function<void(const MonthRebuild::Progress &)> &rebuild)
{
    closeShown();
    bar->setRange(1, month.days());
    bar->setValue(1);
    bar->setVisible(true);
    try {
        rebuild([bar](int day, int) { bar->setValue(day); });
    } catch (...) {
        // The month is as it was: show it again, then report the failure.
        bar->setVisible(false);
        try {
            openShown();
        } catch (...) {
        }
        throw;
    }
    openShown();
    bar->setVisible(false);
}

} // namespace RebuildProgress
