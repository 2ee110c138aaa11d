#pragma once
#include <QString>
#include <stdexcept>

// A report that cannot be built or prepared: a malformed expression, an
// unknown field, an arithmetic fault. The text is what the user is shown.
class ReportError : public std::runtime_error {
public:
    explicit ReportError(const QString &text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString &text() const { return m_text; }

private:
    QString m_text;
};
