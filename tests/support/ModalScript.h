#pragma once
#include <QList>
#include <functional>

class QDialog;

// Modal showings in the tests: instead of running its own event loop, a
// dialog shown modally (Modal::exec) is shown, recorded, and the action
// registered for it runs; the showing then returns 0.
namespace ModalScript {

// Installs the handler (once per test program, e.g. in initTestCase).
void Install();
// What to do when dlg is shown modally (replaces an earlier action).
void OnShow(QDialog *dlg, std::function<void()> act);
// Forgets the actions and the showings (e.g. in init).
void Reset();
// The dialogs shown modally since Reset, in order.
const QList<QDialog *> &Shown();

} // namespace ModalScript
