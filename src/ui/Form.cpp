#include "ui/Form.h"
#include "ui/Msg.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QKeyEvent>
#include <QEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <exception>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>

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

// A date box uses Tab for its day, month and year; in a window that goes
// through its controls in reading order Tab leaves the box as from any
// other control, and the arrow keys move between its parts.
class TabLeavesBox : public QObject {
public:
    explicit TabLeavesBox(QObject *parent) : QObject(parent) {}

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() != QEvent::KeyPress)
            return false;
        auto *k = static_cast<QKeyEvent *>(e);
        if ((k->key() != Qt::Key_Tab && k->key() != Qt::Key_Backtab)
            || (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false;
        auto *box = static_cast<QWidget *>(o);
        const bool back = k->key() == Qt::Key_Backtab || (k->modifiers() & Qt::ShiftModifier);
        // The window's own walk, as from a control without parts.
        return Form::moveFocus(box->window(), !back);
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
    if (m_readingTabOrder) {
        if (!m_tabLeavesBox)
            m_tabLeavesBox = new TabLeavesBox(this);
        for (QDateTimeEdit *box : findChildren<QDateTimeEdit *>())
            box->installEventFilter(m_tabLeavesBox); // once: installing again only moves it first
    }
    // The focused control shows its focus mark from the start, not only
    // after the first Tab: a keyboard user sees where the keys go.
    setAttribute(Qt::WA_KeyboardFocusChange);
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

namespace {
bool takesTab(const QWidget *w)
{
    return (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
}

// One of a set of mutually exclusive buttons (radio buttons) other than the
// set's chosen one: Tab stops at the chosen one, the arrows move in the set.
bool unchosenOfSet(const QWidget *w)
{
    const auto *b = qobject_cast<const QAbstractButton *>(w);
    if (!b || !b->isCheckable() || b->isChecked())
        return false;
    QList<QAbstractButton *> set;
    if (QButtonGroup *g = b->group(); g && g->exclusive())
        set = g->buttons();
    else if (b->autoExclusive() && b->parentWidget())
        for (QAbstractButton *o : b->parentWidget()->findChildren<QAbstractButton *>(Qt::FindDirectChildrenOnly))
            if (o->autoExclusive() && o->isCheckable())
                set << o;
    for (const QAbstractButton *o : set)
        if (o->isChecked() && o->isVisible() && o->isEnabled())
            return true;
    return false;
}

QWidget *deepestProxy(QWidget *w)
{
    while (w && w->focusProxy())
        w = w->focusProxy();
    return w;
}

// Controls in reading order: rows from the top, each row left to right. A
// row is what lies beside its first (topmost) control, so a tall list comes
// before the buttons stacked at its right, and those before what is below.
QList<QWidget *> readingOrder(const QWidget *window, const QList<QWidget *> &controls)
{
    struct Item {
        QWidget *w;
        QRect r;
    };
    QList<Item> items;
    for (QWidget *w : controls)
        items.append({w, QRect(w->mapTo(window, QPoint(0, 0)), w->size())});
    std::stable_sort(items.begin(), items.end(), [](const Item &a, const Item &b) {
        return a.r.top() != b.r.top() ? a.r.top() < b.r.top() : a.r.left() < b.r.left();
    });
    QList<QList<Item>> rows;
    int rowBottom = 0;
    for (const Item &it : items) {
        if (rows.isEmpty() || it.r.center().y() > rowBottom) {
            rows.append(QList<Item>());
            rowBottom = it.r.bottom();
        }
        rows.last().append(it);
    }
    QList<QWidget *> order;
    for (QList<Item> &row : rows) {
        std::stable_sort(row.begin(), row.end(), [](const Item &a, const Item &b) {
            return a.r.left() != b.r.left() ? a.r.left() < b.r.left() : a.r.top() < b.r.top();
        });
        for (const Item &it : row)
            order.append(it.w);
    }
    return order;
}
} // namespace

bool Form::moveFocus(QWidget *window, bool next)
{
    auto *form = qobject_cast<Form *>(window);
    return form && form->focusNextPrevChild(next);
}

QList<QWidget *> Form::tabStops() const
{
    QList<QWidget *> stops;
    const QList<QWidget *> all = findChildren<QWidget *>();
    for (QWidget *w : all) {
        // Only widgets that take the focus themselves; one handing it on
        // (a date box to its text, a tab widget to its tabs) is represented
        // by its receiver below.
        if (w->focusProxy() || !takesTab(w) || w->window() != this || !w->isVisibleTo(this) || !w->isEnabled()
            || unchosenOfSet(w))
            continue;
        // Inside another control (a list's cell editor, a combo box's text):
        // that control is the stop.
        bool inner = false;
        for (QWidget *a = w->parentWidget(); a && a != this; a = a->parentWidget())
            if (!a->focusProxy() && takesTab(a)) {
                inner = true;
                break;
            }
        if (inner)
            continue;
        // The stop is the outermost widget that hands its focus to w, so
        // that the control is the one named in the layout.
        QWidget *stop = w;
        for (QWidget *a = w->parentWidget(); a && a != this; a = a->parentWidget())
            if (deepestProxy(a) == w)
                stop = a;
        if (!stops.contains(stop))
            stops.append(stop);
    }
    return readingOrder(this, stops);
}

bool Form::focusNextPrevChild(bool next)
{
    if (!m_readingTabOrder)
        return QDialog::focusNextPrevChild(next);
    QList<QWidget *> stops = tabStops();
    if (stops.isEmpty())
        return QDialog::focusNextPrevChild(next);
    // The stop holding the focus: the innermost one around the focus widget.
    QWidget *f = focusWidget();
    int at = -1;
    for (QWidget *x = f; x && x != this && at < 0; x = x->parentWidget())
        at = int(stops.indexOf(x));
    int to;
    if (at >= 0) {
        to = at + (next ? 1 : -1);
    } else if (f && isAncestorOf(f)) {
        // The focus is on something Tab does not stop at (a box taken by a
        // click): go on from where it sits.
        stops.append(f);
        stops = readingOrder(this, stops);
        at = int(stops.indexOf(f));
        stops.removeAt(at);
        to = next ? at : at - 1;
    } else {
        to = next ? 0 : -1;
    }
    const int n = int(stops.size());
    QWidget *target = stops[((to % n) + n) % n];
    target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
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
