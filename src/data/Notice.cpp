#include "data/Notice.h"

#include <QDebug>

namespace Notice {
namespace {
ErrorSink g_sink = nullptr;
}

void setErrorSink(ErrorSink sink)
{
    g_sink = sink;
}

ErrorSink errorSink()
{
    return g_sink;
}

void error(const QString &text, const QString &caption)
{
    if (g_sink)
        g_sink(text, caption);
    else
        qWarning().noquote() << caption << text;
}

} // namespace Notice
