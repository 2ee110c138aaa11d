#include "ui/Form.h"
#include "ui/Msg.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QShowEvent>

namespace {
// Remembers which of the program's windows was active before the current
// one. Pop-ups (menus, drop-down calendars) do not count.
class ActivationTracker : public QObject {
public:
    QPointer<QWidget> previous, current;
    quint64 activations = 0; // window activations in the program so far

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if ((e->type() != QEvent::WindowActivate && e->type() != QEvent::Hide) || !o->isWidgetType())
            return false;
        auto *w = static_cast<QWidget *>(o);
        const Qt::WindowType t = w->windowType();
        if (!w->isWindow() || t == Qt::Popup || t == Qt::ToolTip || t == Qt::SplashScreen)
            return false;
        if (e->type() == QEvent::WindowActivate) {
            ++activations;
            previous = current;
            current = w;
        } else if (current == w) {
            // A window shown again later is a new activation.
            current = nullptr;
        }
        return false;
    }
};

ActivationTracker *tracker()
{
    static ActivationTracker *t = nullptr;
    if (!t && qApp) {
        t = new ActivationTracker;
        t->setParent(qApp);
        qApp->installEventFilter(t);
    }
    return t;
}
} // namespace

Form::Form(QWidget *parent) : QDialog(parent)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    tracker();
}

void Form::setFixedClientSize(int w, int h)
{
    setFixedSize(w, h);
    if (QScreen *s = QGuiApplication::primaryScreen()) {
        const QRect g = s->availableGeometry();
        move(g.center() - QPoint(w / 2, h / 2));
    }
}

namespace {
QPointer<QWidget> g_mainWindow;
}

void Form::setMainWindow(QWidget *w)
{
    g_mainWindow = w;
}

QWidget *Form::mainWindow()
{
    return g_mainWindow;
}

void Form::centreOnMainWindow()
{
    QWidget *main = g_mainWindow;
    if (main && main != this && main->isVisible())
        move(main->frameGeometry().center() - QPoint(width() / 2, height() / 2));
}

void Form::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (m_centreOnMain)
        centreOnMainWindow();
    if (m_activateOnShow && !e->spontaneous()) {
        const ActivationTracker *t = tracker();
        m_showMark = t ? t->activations : 0;
        m_activatedOnShow = true;
        FormActivate();
    }
}

bool Form::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate) {
        const bool r = QDialog::event(e);
        // The user coming back from another program to this same window is
        // not an activation within the program.
        const ActivationTracker *t = tracker();
        const bool backFromOutside = t && t->current == this && t->previous == this;
        // Already done by the showing this activation follows.
        const bool doneOnShow = m_activatedOnShow && t && t->activations == m_showMark + 1;
        m_activatedOnShow = false;
        if (!Msg::consumeBoxClosed(this) && !backFromOutside && !doneOnShow)
            FormActivate();
        return r;
    }
    return QDialog::event(e);
}

void paintToggle(QWidget *w, bool marked, const QColor &markColor)
{
    QPalette p = w->palette();
    const QColor face = QApplication::palette(w).color(QPalette::Button);
    p.setColor(QPalette::Window, marked ? markColor : face);
    p.setColor(QPalette::Button, marked ? markColor : face);
    w->setAutoFillBackground(true);
    w->setPalette(p);
    QFont f = w->font();
    f.setBold(marked);
    w->setFont(f);
}

QLabel *buddyLabel(const QString &text, const QString &objectName, QWidget *buddy, QWidget *parent)
{
    auto *l = named(new QLabel(text, parent), objectName);
    l->setBuddy(buddy);
    return l;
}
