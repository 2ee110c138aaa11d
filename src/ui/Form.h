#pragma once
#include <QColor>
#include <QDialog>
#include <QList>
#include <QPointer>

#include <functional>
#include <type_traits>
#include <utility>

class QLabel;

// Base of every window: a dialog shown modally on demand and hidden when
// closed. FormActivate runs each time the window becomes the program's active
// window, except when only a message box over it has closed or the user comes
// back to it from another program. A window that loads its data there also
// asks for it on each showing (setActivateOnShow), so that it never shows
// stale or no data when the window system's activation does not come.
//
// Handlers. Every handler of a window is connected through connectGuarded,
// never with a plain connect:
//     connectGuarded(Button1, &QPushButton::clicked, &TForm19::Button1Click);
//     connectGuarded(ComboBox1, &QComboBox::currentIndexChanged, [this] { ApplyPeriod(); });
// A database or any other error thrown by the handler stops at the slot: it
// is shown with its own text (ShowException) and the window stays usable, so
// no exception ever travels through Qt's signal machinery. The handler may
// take fewer arguments than the signal, as with connect. Code run from an
// event handler, a timer or a queued call goes through runGuarded the same
// way; FormActivate is run so by the base.
//
// Long jobs. A handler that walks many rows and lets events through (an
// export, a month rebuild, a recompute, a report being prepared) holds a
// Form::Busy for its whole run:
//     void TForm19::Button2Click() { Busy busy(this); ... }
// While one lives the window starts nothing else: its buttons, selectors,
// input boxes, grids and actions are disabled (those disabled already stay
// as they were and are left so afterwards), their guarded handlers do not
// run even when a signal comes by other means, FormActivate does not run,
// and a close request (the window's close button, Esc, a "Выход" handler
// calling close()) is put off and carried out once the job has ended.
class Form : public QDialog {
    Q_OBJECT
public:
    explicit Form(QWidget *parent = nullptr);
    virtual void FormActivate() {}

    // Fixed client size, centred on the screen.
    void setFixedClientSize(int w, int h);

    // The window others centre on (the journal window registers itself);
    // nullptr when there is none.
    static void setMainWindow(QWidget *w);
    static QWidget *mainWindow();
    // Each showing centres the window on the main window when that is
    // visible (otherwise it stays where it is, on the screen's centre).
    void setCentreOnMainWindow(bool on = true) { m_centreOnMain = on; }
    void centreOnMainWindow();

    // Each showing runs FormActivate at once; the activation that follows
    // the showing, when it comes before any other window's, does not run it
    // a second time.
    void setActivateOnShow(bool on = true) { m_activateOnShow = on; }

    // Connects handler (a member function of this window or of one of its
    // bases, or any callable) to sender's signal, with this window as the
    // context; see the class comment.
    template <typename Sender, typename Signal, typename Handler>
    QMetaObject::Connection connectGuarded(const Sender *sender, Signal signal, Handler handler);
    // Runs f at once; an exception it throws is shown and goes no further.
    template <typename F>
    static void runGuarded(F &&f)
    {
        try {
            std::forward<F>(f)();
        } catch (...) {
            showHandlerError();
        }
    }
    // Shows the exception being handled (call inside a catch block only).
    static void showHandlerError() noexcept;

    // The long-job guard; see the class comment. Guards nest: the window is
    // free again when the outermost one ends, also when the job throws.
    class Busy {
    public:
        explicit Busy(Form *window);
        ~Busy();
        Busy(const Busy &) = delete;
        Busy &operator=(const Busy &) = delete;

    private:
        QPointer<Form> m_window;
    };
    bool isBusy() const { return m_busy > 0; }
    // True while a job runs and sender is (or belongs to) a control the job
    // disabled: its signals start nothing.
    bool refusesSignalsOf(const QObject *sender) const;

    // A close request while busy is remembered and carried out afterwards.
    void done(int r) override;
    // Tab and Shift+Tab go through the window's controls in reading order:
    // row by row from the top, left to right within a row, wherever the
    // control sits (group boxes, tab pages), skipping hidden, disabled and
    // read-only-by-policy ones, round and round. A window whose layout
    // function sets an order of its own with setTabOrder turns this off.
    void setReadingTabOrder(bool on = true) { m_readingTabOrder = on; }
    // The controls Tab reaches now, in the order it reaches them.
    QList<QWidget *> tabStops() const;
    // Moves the focus to the next or previous control of a window of ours
    // as Tab or Shift+Tab does; false for any other window.
    static bool moveFocus(QWidget *window, bool next);

protected:
    bool event(QEvent *e) override;
    void showEvent(QShowEvent *e) override;
    bool focusNextPrevChild(bool next) override;

private:
    void beginBusy();
    void endBusy();
    void runActivate();

    int m_busy = 0;
    QList<QPointer<QObject>> m_busyDisabled; // controls the job disabled
    QPointer<QWidget> m_busyFocus;           // the focus before the job
    bool m_closeDeferred = false;
    int m_deferredResult = 0;
    bool m_centreOnMain = false;
    bool m_activateOnShow = false;
    bool m_activatedOnShow = false;
    bool m_readingTabOrder = true;
    QObject *m_tabLeavesBox = nullptr;
    quint64 m_showMark = 0; // the program's activation count at the showing
};

// A toggle's caption marked by a background colour and bold text, or back
// to the plain button face and weight.
void paintToggle(QWidget *w, bool marked, const QColor &markColor);

// Gives a control its component name and the accessible name people and UI
// automation find it by.
template <typename W>
W *named(W *w, const QString &objectName, const QString &accessibleName = {})
{
    w->setObjectName(objectName);
    if (!accessibleName.isEmpty())
        w->setAccessibleName(accessibleName);
    return w;
}

// A label named like its component, in parent, that gives the keyboard to
// buddy (its mnemonic and screen readers name buddy by it).
QLabel *buddyLabel(const QString &text, const QString &objectName, QWidget *buddy, QWidget *parent);

namespace FormDetail {

template <typename T>
struct MemberClass;
template <typename R, typename C, typename... A>
struct MemberClass<R (C::*)(A...)> { using type = C; };
template <typename R, typename C, typename... A>
struct MemberClass<R (C::*)(A...) const> { using type = C; };
template <typename R, typename C, typename... A>
struct MemberClass<R (C::*)(A...) noexcept> { using type = C; };
template <typename R, typename C, typename... A>
struct MemberClass<R (C::*)(A...) const noexcept> { using type = C; };

// The slot connectGuarded installs. Its call operator accepts exactly the
// argument lists the handler accepts, so Qt passes the handler as many of
// the signal's arguments as it takes.
template <typename F>
struct GuardedSlot {
    F f;
    QPointer<Form> window;
    const QObject *sender;

    template <typename... A>
    auto operator()(A &&...a) -> decltype(std::invoke(std::declval<F &>(), std::forward<A>(a)...), void())
    {
        if (window && window->refusesSignalsOf(sender))
            return;
        try {
            std::invoke(f, std::forward<A>(a)...);
        } catch (...) {
            Form::showHandlerError();
        }
    }
};

} // namespace FormDetail

template <typename Sender, typename Signal, typename Handler>
QMetaObject::Connection Form::connectGuarded(const Sender *sender, Signal signal, Handler handler)
{
    if constexpr (std::is_member_function_pointer_v<Handler>) {
        using C = typename FormDetail::MemberClass<Handler>::type;
        C *self = static_cast<C *>(this);
        auto call = [self, handler](auto &&...a)
            -> decltype(std::invoke(handler, self, std::forward<decltype(a)>(a)...)) {
            return std::invoke(handler, self, std::forward<decltype(a)>(a)...);
        };
        return QObject::connect(sender, signal, this, FormDetail::GuardedSlot<decltype(call)>{call, this, sender});
    } else {
        return QObject::connect(sender, signal, this,
                                FormDetail::GuardedSlot<Handler>{std::move(handler), this, sender});
    }
}
