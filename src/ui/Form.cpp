#include "ui/Form.h"
#include "ui/Msg.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

Form::Form(QWidget *parent) : QDialog(parent)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void Form::setFixedClientSize(int w, int h)
{
    setFixedSize(w, h);
    if (QScreen *s = QGuiApplication::primaryScreen()) {
        const QRect g = s->availableGeometry();
        move(g.center() - QPoint(w / 2, h / 2));
    }
}

bool Form::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate) {
        const bool r = QDialog::event(e);
        if (!Msg::consumeBoxClosed())
            FormActivate();
        return r;
    }
    return QDialog::event(e);
}
