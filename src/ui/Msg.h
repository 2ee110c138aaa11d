#pragma once
#include <QList>
#include <QString>
#include <functional>
#include <stdexcept>

class QDialog;
class QWidget;

// Every message box of the program goes through here. Tests switch on
// recording: nothing is shown, each message is logged, and questions take
// their answers from a queue.
namespace Msg {

enum class Icon { Error, Information, Warning, Question };

struct Shown {
    Icon icon;
    QString caption;
    QString text;
};

void error(const QString &text, const QString &caption = QStringLiteral("Ошибка"));
// Shows why an action is refused, when there is a reason: true when it was
// shown (the action stops), false for an empty reason.
bool refused(const QString &reason);
void information(const QString &text, const QString &caption);
void warning(const QString &text, const QString &caption);
// Yes/No question with a question icon; true for Yes.
bool question(const QString &text, const QString &caption);

// True when a message box over `window` has closed since the last call (the
// window does not treat a message box's closing as its activation). Any
// call ends the box's effect: a box that closed over one window never
// swallows another window's activation.
bool consumeBoxClosed(const QWidget *window);

// --- test support
void setRecording(bool on);
bool recording();
QList<Shown> &shown();
void clearShown();
// Answers for the next questions, first in first out; an unanswered question
// reads as No.
void answer(bool yes);

} // namespace Msg

// Modal showing of the program's windows. Tests install a handler that acts
// on the window instead of running its modal loop.
namespace Modal {
int exec(QDialog *dlg);
using Handler = std::function<int(QDialog *)>;
void setHandler(Handler h);
} // namespace Modal

// Shows an error that stopped a handler: a database error with its own text,
// anything else with what() (caption "Ошибка").
void ShowException(const std::exception &e);
