#include "support/ModalScript.h"
#include "ui/Msg.h"

#include <QDialog>
#include <QHash>

namespace ModalScript {

namespace {
QHash<QDialog *, std::function<void()>> g_onShow;
QList<QDialog *> g_shown;
} // namespace

void Install()
{
    Modal::setHandler([](QDialog *dlg) {
        g_shown << dlg;
        dlg->show();
        if (auto act = g_onShow.value(dlg))
            act();
        return 0;
    });
}

void OnShow(QDialog *dlg, std::function<void()> act)
{
    g_onShow.insert(dlg, std::move(act));
}

void Reset()
{
    g_onShow.clear();
    g_shown.clear();
}

const QList<QDialog *> &Shown()
{
    return g_shown;
}

} // namespace ModalScript
