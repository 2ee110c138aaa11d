#include "ui/ReadOnlyBox.h"

QLineEdit *ReadOnlyBox(QLineEdit *box, Qt::FocusPolicy focus)
{
    box->setReadOnly(true);
    box->setFocusPolicy(focus);
    // setText leaves the cursor at the end before it tells the change, so
    // the start is shown from here on.
    QObject::connect(box, &QLineEdit::textChanged, box, [box](const QString &text) {
        box->setCursorPosition(0);
        box->setToolTip(text);
    });
    box->setCursorPosition(0);
    box->setToolTip(box->text());
    return box;
}
