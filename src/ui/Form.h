#pragma once
#include <QColor>
#include <QDialog>

class QLabel;

// Base of every window: a dialog shown modally on demand and hidden when
// closed. FormActivate runs each time the window becomes the program's active
// window, except when only a message box over it has closed or the user comes
// back to it from another program. A window that loads its data there also
// asks for it on each showing (setActivateOnShow), so that it never shows
// stale or no data when the window system's activation does not come.
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
