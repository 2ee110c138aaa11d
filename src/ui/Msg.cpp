#include "ui/Msg.h"
#include "data/DbError.h"
#include "data/Notice.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QQueue>

namespace Msg {
namespace {
bool g_recording = false;
QList<Shown> g_shown;
QQueue<bool> g_answers;
bool g_boxClosed = false;
QPointer<QWidget> g_boxOwner; // the window the last box was shown over

void showDataError(const QString &text, const QString &caption)
{
    error(text, caption);
}
// The data module's messages are shown here.
[[maybe_unused]] const bool g_dataSink = (Notice::setErrorSink(&showDataError), true);

QMessageBox::StandardButton show(Icon icon, const QString &text, const QString &caption)
{
    QMessageBox::Icon qi = QMessageBox::Critical;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    switch (icon) {
    case Icon::Error: qi = QMessageBox::Critical; break;
    case Icon::Information: qi = QMessageBox::Information; break;
    case Icon::Warning: qi = QMessageBox::Warning; break;
    case Icon::Question:
        qi = QMessageBox::Question;
        buttons = QMessageBox::Yes | QMessageBox::No;
        break;
    }
    QWidget *owner = QApplication::activeWindow();
    QMessageBox box(qi, caption, text, buttons, owner);
    if (icon == Icon::Question)
        box.setDefaultButton(QMessageBox::Yes);
    const auto r = QMessageBox::StandardButton(box.exec());
    g_boxClosed = true;
    g_boxOwner = owner;
    return r;
}
} // namespace

void error(const QString &text, const QString &caption)
{
    if (g_recording) {
        g_shown.append({Icon::Error, caption, text});
        return;
    }
    show(Icon::Error, text, caption);
}

void information(const QString &text, const QString &caption)
{
    if (g_recording) {
        g_shown.append({Icon::Information, caption, text});
        return;
    }
    show(Icon::Information, text, caption);
}

void warning(const QString &text, const QString &caption)
{
    if (g_recording) {
        g_shown.append({Icon::Warning, caption, text});
        return;
    }
    show(Icon::Warning, text, caption);
}

bool question(const QString &text, const QString &caption)
{
    if (g_recording) {
        g_shown.append({Icon::Question, caption, text});
        return g_answers.isEmpty() ? false : g_answers.dequeue();
    }
    return show(Icon::Question, text, caption) == QMessageBox::Yes;
}

bool consumeBoxClosed(const QWidget *window)
{
    const bool r = g_boxClosed && g_boxOwner && g_boxOwner == window;
    g_boxClosed = false;
    g_boxOwner = nullptr;
    return r;
}

void setRecording(bool on) { g_recording = on; }
bool recording() { return g_recording; }
QList<Shown> &shown() { return g_shown; }
void clearShown()
{
    g_shown.clear();
    g_answers.clear();
}
void answer(bool yes) { g_answers.enqueue(yes); }

} // namespace Msg

namespace Modal {
namespace {
Handler g_handler;
}
int exec(QDialog *dlg)
{
    if (g_handler)
        return g_handler(dlg);
    return dlg->exec();
}
void setHandler(Handler h) { g_handler = std::move(h); }
} // namespace Modal

bool Msg::refused(const QString &reason)
{
    if (reason.isEmpty())
        return false;
    Msg::error(reason);
    return true;
}

void ShowException(const std::exception &e)
{
    if (const auto *db = dynamic_cast<const DbError *>(&e))
        Msg::error(db->text(), QStringLiteral("Ошибка"));
    else
        Msg::error(QString::fromLocal8Bit(e.what()), QStringLiteral("Ошибка"));
}
