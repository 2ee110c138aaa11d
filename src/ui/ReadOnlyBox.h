#pragma once
#include <QLineEdit>

// A read-only text box of a dialog (a picked worker, an operation, a price):
// not editable, reached by a click and not by Tab (or as `focus` says), and
// whatever text it is given shows from its beginning, with the whole text in
// its tooltip, so that a long operation text never hides its mark.
QLineEdit *ReadOnlyBox(QLineEdit *box, Qt::FocusPolicy focus = Qt::ClickFocus);
