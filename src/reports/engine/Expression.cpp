#include "reports/engine/Expression.h"
#include "reports/engine/ReportError.h"

namespace Report {

// ---------------------------------------------------------------- values

Decimal Value::asNumber() const
{
    switch (type) {
    case Number:
        return num;
    case Bool:
        return Decimal::fromInt(truth ? 1 : 0);
    case Text:
        return Decimal::fromText(text).value_or(Decimal());
    case Null:
        break;
    }
    return Decimal();
}

bool Value::isTrue() const
{
    switch (type) {
    case Bool:
        return truth;
    case Number:
        return !num.isZero();
    case Text:
        return !text.isEmpty();
    case Null:
        break;
    }
    return false;
}

namespace {

QString textOf(const Value &v)
{
    switch (v.type) {
    case Value::Text:
        return v.text;
    case Value::Number:
        return v.num.general(u'.');
    case Value::Bool:
        return v.truth ? QStringLiteral("1") : QStringLiteral("0");
    case Value::Null:
        break;
    }
    return {};
}

bool numeric(const Value &v)
{
    return v.type == Value::Number || v.type == Value::Bool || v.type == Value::Null;
}

// -1, 0, 1; numbers as numbers, otherwise as texts.
int compare(const Value &a, const Value &b)
{
    if (numeric(a) && numeric(b)) {
        const Decimal x = a.asNumber(), y = b.asNumber();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    const int c = QString::compare(textOf(a), textOf(b));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace

bool Value::operator==(const Value &o) const
{
    return compare(*this, o) == 0;
}

// ---------------------------------------------------------------- tree

struct Expression::Node {
    enum Op { Const, Field, Page, Add, Sub, Mul, Div, Neg, Eq, Ne, Gt, Lt, Ge, Le, If, Str, Sum };
    Op op = Const;
    Value constant;
    QString name; // field name, lower case
    int column = -1;
    Decimal total; // SUM's running total
    std::vector<std::unique_ptr<Node>> args;

    std::unique_ptr<Node> clone() const
    {
        auto n = std::make_unique<Node>();
        n->op = op;
        n->constant = constant;
        n->name = name;
        n->column = column;
        n->total = total;
        for (const auto &a : args)
            n->args.push_back(a->clone());
        return n;
    }
};

namespace {

using Node = Expression::Node;
using NodePtr = std::unique_ptr<Node>;

class Parser {
public:
    explicit Parser(const QString &src) : s(src) {}

    NodePtr parseAll()
    {
        NodePtr n = comparison();
        skip();
        if (pos < s.size())
            fail(QStringLiteral("лишний знак «%1»").arg(s[pos]));
        return n;
    }
    bool sawSum = false;

private:
    const QString &s;
    int pos = 0;
    int sumDepth = 0;

    [[noreturn]] void fail(const QString &what) const
    {
        throw ReportError(QStringLiteral("Ошибка в выражении отчета «%1»: %2 (позиция %3)")
                              .arg(s, what)
                              .arg(pos + 1));
    }
    void skip()
    {
        while (pos < s.size() && s[pos].isSpace())
            ++pos;
    }
    bool eat(QStringView tok)
    {
        skip();
        if (QStringView(s).mid(pos).startsWith(tok)) {
            pos += int(tok.size());
            return true;
        }
        return false;
    }
    void expect(QChar c)
    {
        skip();
        if (pos >= s.size())
            fail(QStringLiteral("выражение оборвано, ожидался знак «%1»").arg(c));
        if (s[pos] != c)
            fail(QStringLiteral("ожидался знак «%1» вместо «%2»").arg(c).arg(s[pos]));
        ++pos;
    }
    static NodePtr make(Node::Op op, NodePtr a = {}, NodePtr b = {})
    {
        auto n = std::make_unique<Node>();
        n->op = op;
        if (a)
            n->args.push_back(std::move(a));
        if (b)
            n->args.push_back(std::move(b));
        return n;
    }

    NodePtr comparison()
    {
        NodePtr left = additive();
        struct {
            const char16_t *tok;
            Node::Op op;
        } const ops[] = {{u"<>", Node::Ne}, {u">=", Node::Ge}, {u"<=", Node::Le},
                         {u"=", Node::Eq},  {u">", Node::Gt},  {u"<", Node::Lt}};
        for (const auto &o : ops)
            if (eat(o.tok))
                return make(o.op, std::move(left), additive());
        return left;
    }
    NodePtr additive()
    {
        NodePtr left = multiplicative();
        for (;;) {
            if (eat(u"+"))
                left = make(Node::Add, std::move(left), multiplicative());
            else if (eat(u"-"))
                left = make(Node::Sub, std::move(left), multiplicative());
            else
                return left;
        }
    }
    NodePtr multiplicative()
    {
        NodePtr left = unary();
        for (;;) {
            if (eat(u"*"))
                left = make(Node::Mul, std::move(left), unary());
            else if (eat(u"/"))
                left = make(Node::Div, std::move(left), unary());
            else
                return left;
        }
    }
    NodePtr unary()
    {
        if (eat(u"-"))
            return make(Node::Neg, unary());
        return primary();
    }
    NodePtr primary()
    {
        skip();
        if (pos >= s.size())
            fail(QStringLiteral("выражение оборвано, ожидалось значение"));
        const QChar c = s[pos];
        if (c == u'(') {
            ++pos;
            NodePtr n = comparison();
            expect(u')');
            return n;
        }
        if (c == u'\'')
            return text();
        if (c.isDigit() || c == u'.')
            return number();
        if (c.isLetter() || c == u'_')
            return name();
        fail(QStringLiteral("неожиданный знак «%1»").arg(c));
    }
    NodePtr text()
    {
        ++pos; // opening quote
        QString t;
        for (;;) {
            if (pos >= s.size())
                fail(QStringLiteral("текст не закрыт кавычкой"));
            if (s[pos] == u'\'') {
                if (pos + 1 < s.size() && s[pos + 1] == u'\'') {
                    t += u'\'';
                    pos += 2;
                    continue;
                }
                ++pos;
                break;
            }
            t += s[pos++];
        }
        auto n = make(Node::Const);
        n->constant = Value::fromText(t);
        return n;
    }
    NodePtr number()
    {
        const int start = pos;
        while (pos < s.size() && (s[pos].isDigit() || s[pos] == u'.'))
            ++pos;
        const auto d = Decimal::fromText(QStringView(s).mid(start, pos - start));
        if (!d || QStringView(s).mid(start, pos - start).count(u'.') > 1) {
            pos = start;
            fail(QStringLiteral("неверное число"));
        }
        auto n = make(Node::Const);
        n->constant = Value::number(*d);
        return n;
    }
    NodePtr name()
    {
        const int start = pos;
        while (pos < s.size() && (s[pos].isLetterOrNumber() || s[pos] == u'_' || s[pos] == u'.'))
            ++pos;
        QString id = s.mid(start, pos - start).toLower();
        skip();
        const bool call = pos < s.size() && s[pos] == u'(';
        if (!call) {
            if (id == u"pagenumber")
                return make(Node::Page);
            auto n = make(Node::Field);
            const int dot = id.lastIndexOf(u'.');
            n->name = dot >= 0 ? id.mid(dot + 1) : id; // "t_Report.fio" -> fio
            if (n->name.isEmpty()) {
                pos = start;
                fail(QStringLiteral("неверное имя поля"));
            }
            return n;
        }
        ++pos; // (
        auto args = [&](int count) {
            std::vector<NodePtr> a;
            for (int i = 0; i < count; ++i) {
                if (i > 0)
                    expect(u',');
                a.push_back(comparison());
            }
            expect(u')');
            return a;
        };
        NodePtr n;
        if (id == u"if") {
            n = make(Node::If);
            n->args = args(3);
        } else if (id == u"str") {
            n = make(Node::Str);
            n->args = args(1);
        } else if (id == u"sum") {
            if (sumDepth > 0) {
                pos = start;
                fail(QStringLiteral("SUM внутри SUM"));
            }
            ++sumDepth;
            n = make(Node::Sum);
            n->args = args(1);
            --sumDepth;
            sawSum = true;
        } else if (id == u"pagenumber") {
            expect(u')');
            n = make(Node::Page);
        } else {
            pos = start;
            fail(QStringLiteral("неизвестная функция «%1»").arg(s.mid(start, id.size())));
        }
        return n;
    }
};

void collectFields(const Node *n, QStringList &out)
{
    if (n->op == Node::Field && !out.contains(n->name))
        out << n->name;
    for (const auto &a : n->args)
        collectFields(a.get(), out);
}

void bindNode(Node *n, const QStringList &columns, const QString &source)
{
    if (n->op == Node::Field) {
        n->column = -1;
        for (int i = 0; i < columns.size(); ++i)
            if (columns[i].compare(n->name, Qt::CaseInsensitive) == 0) {
                n->column = i;
                break;
            }
        if (n->column < 0)
            throw ReportError(QStringLiteral("Выражение отчета «%1»: в запросе нет поля «%2»").arg(source, n->name));
    }
    for (auto &a : n->args)
        bindNode(a.get(), columns, source);
}

Value eval(const Node *n, const Context &ctx);

void accumulateNode(Node *n, const Context &ctx)
{
    if (n->op == Node::Sum) {
        n->total += eval(n->args[0].get(), ctx).asNumber();
        return;
    }
    for (auto &a : n->args)
        accumulateNode(a.get(), ctx);
}

void resetNode(Node *n)
{
    n->total = Decimal();
    for (auto &a : n->args)
        resetNode(a.get());
}

Value eval(const Node *n, const Context &ctx)
{
    auto arg = [&](int i) { return eval(n->args[size_t(i)].get(), ctx); };
    switch (n->op) {
    case Node::Const:
        return n->constant;
    case Node::Field:
        return ctx.row && n->column >= 0 ? ctx.row[n->column] : Value();
    case Node::Page:
        return Value::number(Decimal::fromInt(ctx.pageNumber));
    case Node::Add: {
        const Value a = arg(0), b = arg(1);
        if (a.type == Value::Text || b.type == Value::Text)
            return Value::fromText(textOf(a) + textOf(b));
        if (a.isNull() && b.isNull())
            return Value();
        return Value::number(a.asNumber() + b.asNumber());
    }
    case Node::Sub:
        return Value::number(arg(0).asNumber() - arg(1).asNumber());
    case Node::Mul:
        return Value::number(arg(0).asNumber() * arg(1).asNumber());
    case Node::Div:
        return Value::number(arg(0).asNumber() / arg(1).asNumber());
    case Node::Neg:
        return Value::number(-arg(0).asNumber());
    case Node::Eq:
        return Value::boolean(compare(arg(0), arg(1)) == 0);
    case Node::Ne:
        return Value::boolean(compare(arg(0), arg(1)) != 0);
    case Node::Gt:
        return Value::boolean(compare(arg(0), arg(1)) > 0);
    case Node::Lt:
        return Value::boolean(compare(arg(0), arg(1)) < 0);
    case Node::Ge:
        return Value::boolean(compare(arg(0), arg(1)) >= 0);
    case Node::Le:
        return Value::boolean(compare(arg(0), arg(1)) <= 0);
    case Node::If:
        return arg(0).isTrue() ? arg(1) : arg(2);
    case Node::Str:
        return Value::fromText(arg(0).asNumber().fixed(0, u'.'));
    case Node::Sum:
        return Value::number(n->total);
    }
    return {};
}

} // namespace

Expression::Expression() = default;
Expression::~Expression() = default;
Expression::Expression(Expression &&) noexcept = default;
Expression &Expression::operator=(Expression &&) noexcept = default;

Expression::Expression(const Expression &o)
    : m_source(o.m_source), m_root(o.m_root ? o.m_root->clone() : nullptr), m_hasSum(o.m_hasSum)
{
}

Expression &Expression::operator=(const Expression &o)
{
    if (this != &o) {
        m_source = o.m_source;
        m_root = o.m_root ? o.m_root->clone() : nullptr;
        m_hasSum = o.m_hasSum;
    }
    return *this;
}

Expression Expression::parse(const QString &source)
{
    Expression e;
    e.m_source = source;
    if (source.trimmed().isEmpty())
        throw ReportError(QStringLiteral("Пустое выражение отчета"));
    Parser p(source);
    e.m_root = p.parseAll();
    e.m_hasSum = p.sawSum;
    return e;
}

QStringList Expression::fields() const
{
    QStringList out;
    if (m_root)
        collectFields(m_root.get(), out);
    return out;
}

void Expression::bind(const QStringList &columns)
{
    if (m_root)
        bindNode(m_root.get(), columns, m_source);
}

void Expression::accumulate(const Context &ctx)
{
    if (m_root && m_hasSum)
        accumulateNode(m_root.get(), ctx);
}

void Expression::reset()
{
    if (m_root)
        resetNode(m_root.get());
}

Value Expression::evaluate(const Context &ctx) const
{
    return m_root ? eval(m_root.get(), ctx) : Value();
}

} // namespace Report
