#include "ui/Form.h"
#include "ui/Msg.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <exception>
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
        runActivate();
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
            runActivate();
        return r;
    }
    return QDialog::event(e);
}

void Form::runActivate()
{
    // A job that lets events through is not interrupted by its window's
    // activation (which reloads or resets what the job works on).
    if (m_busy)
        return;
    runGuarded([this] { FormActivate(); });
}

void Form::showHandlerError() noexcept
{
    try {
        try {
            throw;
        } catch (const std::exception &e) {
            ShowException(e);
        } catch (...) {
            Msg::error(QStringLiteral("Неизвестная ошибка"), QStringLiteral("Ошибка"));
        }
    } catch (...) {
        // Showing the message failed too: nothing more can be done here.
    }
}

namespace {
// A control a running job disables: whatever the user can press, choose,
// type into or open something from.
bool isJobControl(const QWidget *w)
{
    return qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QComboBox *>(w) ||
           qobject_cast<const QAbstractSpinBox *>(w) || qobject_cast<const QLineEdit *>(w) ||
           qobject_cast<const QAbstractItemView *>(w) || qobject_cast<const QMenuBar *>(w);
}

// True when o belongs to window itself, not to another window (a dialog)
// parented to it.
bool ofWindow(const QObject *o, const QWidget *window)
{
    for (const QObject *p = o->parent(); p && p != window; p = p->parent())
        if (qobject_cast<const QDialog *>(p))
            return false;
    return true;
}
} // namespace

Form::Busy::Busy(Form *window) : m_window(window)
{
    if (m_window)
        m_window->beginBusy();
}

Form::Busy::~Busy()
{
    if (m_window)
        m_window->endBusy();
}

void Form::beginBusy()
{
    if (m_busy++)
        return;
    QWidget *focus = QApplication::focusWidget();
    m_busyFocus = focus && focus->window() == this ? focus : nullptr;
    m_busyDisabled.clear();
    for (QWidget *w : findChildren<QWidget *>()) {
        // Controls disabled already (by the user's rights, by the window's
        // own state) are left alone and stay disabled afterwards.
        if (!isJobControl(w) || w->testAttribute(Qt::WA_ForceDisabled) || !ofWindow(w, this))
            continue;
        w->setEnabled(false);
        m_busyDisabled << w;
    }
    for (QAction *a : findChildren<QAction *>()) {
        if (!a->isEnabled() || !ofWindow(a, this))
            continue;
        a->setEnabled(false);
        m_busyDisabled << a;
    }
}

void Form::endBusy()
{
    if (--m_busy)
        return;
    for (auto it = m_busyDisabled.crbegin(); it != m_busyDisabled.crend(); ++it) {
        if (QWidget *w = qobject_cast<QWidget *>(it->data()))
            w->setEnabled(true);
        else if (QAction *a = qobject_cast<QAction *>(it->data()))
            a->setEnabled(true);
    }
    m_busyDisabled.clear();
    if (m_busyFocus && isVisible() && m_busyFocus->isEnabled())
        m_busyFocus->setFocus();
    m_busyFocus = nullptr;
    if (!m_closeDeferred)
        return;
    // The close the user asked for while the job ran.
    m_closeDeferred = false;
    const int r = m_deferredResult;
    auto closeNow = [this, r] {
        if (!m_busy && isVisible())
            done(r);
    };
    if (std::uncaught_exceptions())
        // The job failed: its error is shown first, then the window closes.
        QMetaObject::invokeMethod(this, closeNow, Qt::QueuedConnection);
    else
        runGuarded(closeNow);
}

bool Form::refusesSignalsOf(const QObject *sender) const
{
    if (!m_busy)
        return false;
    for (const QObject *o = sender; o && o != this; o = o->parent())
        for (const QPointer<QObject> &d : m_busyDisabled)
            if (d == o)
                return true;
    return false;
}

void Form::done(int r)
{
    if (m_busy) {
        m_closeDeferred = true;
        m_deferredResult = r;
        return;
    }
    QDialog::done(r);
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
