#pragma once
#include "reports/engine/Decimal.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>

namespace Report {

// A value an expression works with: nothing (a NULL field), a number, a text
// or the truth of a comparison.
struct Value {
    enum Type { Null, Number, Text, Bool };
    Type type = Null;
    Decimal num;
    QString text;
    bool truth = false;

    static Value number(const Decimal &d) { Value v; v.type = Number; v.num = d; return v; }
    static Value fromText(const QString &t) { Value v; v.type = Text; v.text = t; return v; }
    static Value boolean(bool b) { Value v; v.type = Bool; v.truth = b; return v; }
    bool isNull() const { return type == Null; }
    // Numbers of numbers and truths; NULL reads as 0; a text that is a
    // number reads as that number.
    Decimal asNumber() const;
    bool isTrue() const;
    bool operator==(const Value &o) const; // as the '=' of expressions
};

// What an expression reads while it is evaluated: the fields of the current
// row (by the column numbers bind() resolved) and the page number.
struct Context {
    const Value *row = nullptr;
    int pageNumber = 1;
};

// A report expression, parsed once when the layout is built:
//   field names (a "dataset." prefix is allowed), numbers, texts in single
//   quotes ('' for a quote inside), + (sum, or joining when a side is text),
//   - * /, comparisons = <> > < >= <=, parentheses,
//   IF(condition, a, b), STR(number) (a whole number as text),
//   SUM(x) (x added up over the rows accumulate() saw since the last reset()),
//   PAGENUMBER.
// Names of functions and fields are read without letter case.
class Expression {
public:
    Expression();
    ~Expression();
    Expression(const Expression &o);
    Expression &operator=(const Expression &o);
    Expression(Expression &&) noexcept;
    Expression &operator=(Expression &&) noexcept;

    // Throws ReportError naming the expression and the place of the fault.
    static Expression parse(const QString &source);

    const QString &source() const { return m_source; }
    bool isValid() const { return m_root != nullptr; }
    // Field names the expression reads, in lower case.
    QStringList fields() const;
    // Resolves field names to column numbers of `columns` (compared without
    // letter case). Throws ReportError for a field the query does not have.
    void bind(const QStringList &columns);

    bool hasSum() const { return m_hasSum; }
    // Adds this row's arguments to every SUM of the expression.
    void accumulate(const Context &ctx);
    // Starts every SUM of the expression again from 0.
    void reset();
    Value evaluate(const Context &ctx) const;

    struct Node;

private:
    QString m_source;
    std::unique_ptr<Node> m_root;
    bool m_hasSum = false;
};

} // namespace Report
