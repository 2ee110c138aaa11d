#pragma once
#include <QString>

// How the data module tells the user about a refused write (CheckDuplicate,
// CheckedWrite) without knowing any window: the message facade (ui/Msg)
// installs itself here as the one place errors are shown.
namespace Notice {

using ErrorSink = void (*)(const QString &text, const QString &caption);
void setErrorSink(ErrorSink sink);
ErrorSink errorSink();
// Shows an error through the installed sink; without one, logs it.
void error(const QString &text, const QString &caption);

} // namespace Notice
