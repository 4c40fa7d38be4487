#include "reports/SelectionFormula.h"

#include "common/DateText.h"
#include "data/Layout.h"
#include "data/Select.h"

#include <QDate>

#include <cmath>
#include <optional>

namespace korvane::reports {

namespace {

// Limits that keep a hostile formula from exhausting the stack or the memory, and keep the
// condition within what SQLite parses: its parser stack holds about 100 entries, enough for 15
// levels of "(a OR (b AND (" but no more, and an expression tree may be 1,000 deep, which a
// chain of 330 comparisons joined by AND reaches inside two nested subqueries. Real selections
// nest two or three deep and compare a few fields.
constexpr qsizetype MaxLength = 10000;
constexpr int MaxDepth = 12;        // parentheses and NOT, one within the other
constexpr int MaxComparisons = 200; // in all
// A name or value quoted back in a message is cut to this many characters.
constexpr qsizetype MaxShown = 40;

// The position of the character at an index, counted from 1 as the user sees the formula: a
// character outside the BMP counts once.
qsizetype characterNumber(const QString& text, qsizetype index) {
    qsizetype number = 1;
    for (qsizetype i = 0; i < index && i < text.size(); ++i)
        if (!(text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate()))
            ++number;
    return number;
}

QString shown(QStringView source) {
    QString text = source.size() > MaxShown
                       ? source.first(MaxShown - 3).toString() + QLatin1String("...")
                       : source.toString();
    for (QChar& c : text)
        if (!c.isPrint() && !c.isSurrogate())
            c = u'?';
    return text;
}

enum class Kind { End, Field, Number, Text, Operator, And, Or, Not, Open, Close };

struct Token {
    Kind kind = Kind::End;
    qsizetype at = 0;                        // index of the first character in the formula
    QStringView source;                      // as written
    QVariant value;                          // Number and Text
    const layout::TableDef* table = nullptr; // Field
    const layout::FieldDef* field = nullptr; // Field
};

// A condition in SQL. A list of several joined by AND is put in parentheses when it becomes
// part of another condition; a list joined by OR is in parentheses already.
struct Part {
    QString sql;
    bool bracketed = false; // the whole condition is one pair of parentheses
    bool list = false;      // operands joined by AND, without parentheses

    QString wrapped() const { return list ? QLatin1Char('(') + sql + QLatin1Char(')') : sql; }
};

// Reads the formula a token at a time and builds the condition by recursive descent:
//   or := and (OR and)*      and := not (AND not)*      not := NOT not | primary
//   primary := '(' or ')' | comparison
// The first problem found stops the reading; its message is kept in error_.
class Parser {
public:
    explicit Parser(const QString& formula) : text_(formula) {}

    Result<Selection> run() {
        if (!next())
            return Error{error_};
        const auto part = parseOr(0);
        if (!part)
            return Error{error_};
        if (current_.kind == Kind::Close)
            return fail(QStringLiteral("Unexpected ')'"), current_.at);
        if (current_.kind != Kind::End)
            return fail(QStringLiteral("Unexpected text after the end of the formula"),
                        current_.at);
        selection_.sql = part->sql;
        return selection_;
    }

private:
    // The message of the first problem found, with where it is.
    Error fail(const QString& problem, qsizetype at) {
        if (error_.isEmpty())
            error_ = problem + QStringLiteral(" at character %1.").arg(characterNumber(text_, at));
        return Error{error_};
    }

    // A token as a message names it after "after" or "Unexpected".
    static QString describe(const Token& t) {
        switch (t.kind) {
        case Kind::And:
            return QStringLiteral("AND");
        case Kind::Or:
            return QStringLiteral("OR");
        case Kind::Not:
            return QStringLiteral("NOT");
        case Kind::Operator:
            return t.source.toString();
        case Kind::Open:
        case Kind::Close:
            return QLatin1Char('\'') + t.source.toString() + QLatin1Char('\'');
        default:
            return shown(t.source);
        }
    }

    // --- Tokens --------------------------------------------------------------------------

    QChar at(qsizetype i) const { return i < text_.size() ? text_[i] : QChar(); }

    // Moves to the next token; false (with error_ set) when the characters there are no token.
    bool next() {
        previous_ = current_;
        while (pos_ < text_.size() && text_[pos_].isSpace())
            ++pos_;
        current_ = Token{};
        current_.at = pos_;
        if (pos_ >= text_.size())
            return true;
        const QChar c = text_[pos_];
        const qsizetype start = pos_;
        bool read = true;
        if (c == u'(' || c == u')') {
            current_.kind = c == u'(' ? Kind::Open : Kind::Close;
            ++pos_;
        } else if (c == u'=' || c == u'<' || c == u'>') {
            current_.kind = Kind::Operator;
            ++pos_;
            if ((c != u'=' && at(pos_) == u'=') || (c == u'<' && at(pos_) == u'>'))
                ++pos_;
        } else if (c == u'{') {
            read = readField();
        } else if (c == u'\'' || c == u'"') {
            read = readText(c);
        } else if (isDigit(c) || ((c == u'+' || c == u'-') && isDigit(at(pos_ + 1)))) {
            read = readNumber();
        } else if (c.isLetter() || c == u'_') {
            read = readWord();
        } else {
            char32_t code = c.unicode();
            if (c.isHighSurrogate() && at(pos_ + 1).isLowSurrogate())
                code = QChar::surrogateToUcs4(c, at(pos_ + 1));
            const QString what =
                QChar::isPrint(code)
                    ? QLatin1Char('\'') + QString::fromUcs4(&code, 1) + QLatin1Char('\'')
                    : QStringLiteral("U+%1").arg(uint(code), 4, 16, QLatin1Char('0')).toUpper();
            fail(QStringLiteral("Unexpected character ") + what, pos_);
            return false;
        }
        current_.source = QStringView(text_).sliced(start, pos_ - start);
        return read;
    }

    static bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

    qsizetype skipDigits(qsizetype i) const {
        while (isDigit(at(i)))
            ++i;
        return i;
    }

    // {Table.Field}, with blanks allowed around the names.
    bool readField() {
        const qsizetype start = pos_;
        qsizetype end = start + 1;
        while (end < text_.size() && text_[end] != u'}' && text_[end] != u'{')
            ++end;
        if (at(end) != u'}') {
            fail(QStringLiteral("Unclosed field"), start);
            return false;
        }
        pos_ = end + 1;
        const QStringView written = QStringView(text_).sliced(start, pos_ - start);
        const QStringView inside = written.sliced(1, written.size() - 2);
        const qsizetype dot = inside.indexOf(u'.');
        const QStringView tableName = dot < 0 ? QStringView() : inside.first(dot).trimmed();
        const QStringView fieldName = dot < 0 ? QStringView() : inside.sliced(dot + 1).trimmed();
        if (tableName.isEmpty() || fieldName.isEmpty() || fieldName.contains(u'.')) {
            fail(QStringLiteral("Expected a field written as {Table.Field}"), start);
            return false;
        }
        current_.kind = Kind::Field;
        current_.table = layout::table(tableName);
        if (!current_.table) {
            fail(QStringLiteral("Unknown table ") + shown(written), start);
            return false;
        }
        current_.field = current_.table->field(fieldName);
        if (!current_.field) {
            fail(QStringLiteral("Unknown field ") + shown(written), start);
            return false;
        }
        return true;
    }

    // 'text' or "text"; the quote doubled inside stands for one quote.
    bool readText(QChar quote) {
        const qsizetype start = pos_;
        QString value;
        qsizetype i = start + 1;
        for (;;) {
            const qsizetype close = text_.indexOf(quote, i);
            if (close < 0) {
                fail(QStringLiteral("Unclosed text"), start);
                return false;
            }
            value += QStringView(text_).sliced(i, close - i);
            if (at(close + 1) != quote) {
                pos_ = close + 1;
                break;
            }
            value += quote;
            i = close + 2;
        }
        current_.kind = Kind::Text;
        current_.value = value;
        return true;
    }

    // An optional sign, digits, an optional decimal part and an optional exponent. A whole
    // number is kept as an integer, anything else as a double.
    bool readNumber() {
        const qsizetype start = pos_;
        qsizetype i = skipDigits(start + (isDigit(text_[start]) ? 0 : 1));
        bool whole = true;
        if (at(i) == u'.' && isDigit(at(i + 1))) {
            i = skipDigits(i + 1);
            whole = false;
        }
        if (at(i) == u'e' || at(i) == u'E') {
            const qsizetype digits = at(i + 1) == u'+' || at(i + 1) == u'-' ? i + 2 : i + 1;
            if (isDigit(at(digits))) {
                i = skipDigits(digits);
                whole = false;
            }
        }
        pos_ = i;
        const QStringView written = QStringView(text_).sliced(start, i - start);
        current_.kind = Kind::Number;
        bool ok = false;
        if (whole) {
            const qint64 n = written.toLongLong(&ok);
            if (ok) {
                current_.value = n;
                return true;
            }
        }
        const double d = written.toDouble(&ok);
        if (!ok || !std::isfinite(d)) {
            fail(QStringLiteral("Number out of range"), start);
            return false;
        }
        // Exactly representable whole numbers are bound as integers, so that 12.0 finds the
        // counter key 12 the same way 12 does.
        constexpr double exactLimit = 9007199254740992.0; // 2^53
        if (d == std::floor(d) && std::fabs(d) < exactLimit)
            current_.value = static_cast<qint64>(d);
        else
            current_.value = d;
        return true;
    }

    // AND, OR and NOT in any letter case; any other word is a mistake.
    bool readWord() {
        const qsizetype start = pos_;
        while (pos_ < text_.size() && (text_[pos_].isLetterOrNumber() || text_[pos_] == u'_'))
            ++pos_;
        const QStringView word = QStringView(text_).sliced(start, pos_ - start);
        if (word.compare(QLatin1String("AND"), Qt::CaseInsensitive) == 0)
            current_.kind = Kind::And;
        else if (word.compare(QLatin1String("OR"), Qt::CaseInsensitive) == 0)
            current_.kind = Kind::Or;
        else if (word.compare(QLatin1String("NOT"), Qt::CaseInsensitive) == 0)
            current_.kind = Kind::Not;
        else {
            fail(QStringLiteral("Unexpected word '") + shown(word) + QLatin1Char('\''), start);
            return false;
        }
        return true;
    }

    // --- Conditions ----------------------------------------------------------------------

    std::optional<Part> parseOr(int depth) {
        return parseList(depth, Kind::Or, QLatin1String(" OR "));
    }

    std::optional<Part> parseAnd(int depth) {
        return parseList(depth, Kind::And, QLatin1String(" AND "));
    }

    // Operands joined by one keyword. A list of OR is always put in parentheses, so that the
    // condition can be joined to others with AND as it stands.
    std::optional<Part> parseList(int depth, Kind joiner, QLatin1String sqlJoiner) {
        auto first = joiner == Kind::Or ? parseAnd(depth) : parseNot(depth);
        if (!first)
            return std::nullopt;
        if (current_.kind != joiner)
            return first;
        QString sql = first->wrapped();
        while (current_.kind == joiner) {
            if (!next())
                return std::nullopt;
            const auto operand = joiner == Kind::Or ? parseAnd(depth) : parseNot(depth);
            if (!operand)
                return std::nullopt;
            sql += sqlJoiner + operand->wrapped();
        }
        if (joiner == Kind::Or)
            return Part{QLatin1Char('(') + sql + QLatin1Char(')'), true, false};
        return Part{sql, false, true};
    }

    std::optional<Part> parseNot(int depth) {
        if (current_.kind != Kind::Not)
            return parsePrimary(depth);
        if (depth >= MaxDepth)
            return tooDeep();
        if (!next())
            return std::nullopt;
        const auto operand = parseNot(depth + 1);
        if (!operand)
            return std::nullopt;
        return Part{QLatin1String("NOT ") +
                    (operand->bracketed ? operand->sql
                                        : QLatin1Char('(') + operand->sql + QLatin1Char(')'))};
    }

    std::optional<Part> parsePrimary(int depth) {
        if (current_.kind != Kind::Open)
            return parseComparison();
        if (depth >= MaxDepth)
            return tooDeep();
        const Token open = current_;
        if (!next())
            return std::nullopt;
        auto inner = parseOr(depth + 1);
        if (!inner)
            return std::nullopt;
        if (current_.kind == Kind::End) {
            fail(QStringLiteral("Unclosed '('"), open.at);
            return std::nullopt;
        }
        if (current_.kind != Kind::Close) {
            fail(QStringLiteral("Expected AND, OR or ')'"), current_.at);
            return std::nullopt;
        }
        if (!next())
            return std::nullopt;
        return inner;
    }

    std::optional<Part> tooDeep() {
        fail(QStringLiteral("The formula nests too deeply"), current_.at);
        return std::nullopt;
    }

    static bool isOperand(const Token& t) {
        return t.kind == Kind::Field || t.kind == Kind::Number || t.kind == Kind::Text;
    }

    // field op value | value op field | field op field
    std::optional<Part> parseComparison() {
        const Token left = current_;
        if (!isOperand(left)) {
            if (left.kind == Kind::End)
                fail(QStringLiteral("Expected a condition after ") + describe(previous_),
                     previous_.at);
            else
                fail(QStringLiteral("Unexpected ") + describe(left), left.at);
            return std::nullopt;
        }
        if (++comparisons_ > MaxComparisons) {
            fail(QStringLiteral("The formula has more than %1 comparisons").arg(MaxComparisons),
                 left.at);
            return std::nullopt;
        }
        if (!next())
            return std::nullopt;
        const Token op = current_;
        if (op.kind != Kind::Operator) {
            fail(QStringLiteral("Expected =, <>, <, <=, > or >= after ") + describe(left), left.at);
            return std::nullopt;
        }
        if (!next())
            return std::nullopt;
        const Token right = current_;
        if (left.kind == Kind::Field && !isOperand(right)) {
            fail(QStringLiteral("Expected a value after ") + describe(op), op.at);
            return std::nullopt;
        }
        if (left.kind != Kind::Field && right.kind != Kind::Field) {
            fail(QStringLiteral("Expected a field after ") + describe(op), op.at);
            return std::nullopt;
        }
        if (!next())
            return std::nullopt;

        const auto lhs = operand(left, right);
        if (!lhs)
            return std::nullopt;
        const auto rhs = operand(right, left);
        if (!rhs)
            return std::nullopt;
        return Part{*lhs + QLatin1Char(' ') + op.source.toString() + QLatin1Char(' ') + *rhs};
    }

    // One side of a comparison in SQL: a quoted name, or a ? with its value bound. A value
    // compared with a date field must be a date; it is bound as the yyyy-mm-dd text the
    // database keeps.
    std::optional<QString> operand(const Token& t, const Token& other) {
        if (t.kind == Kind::Field) {
            if (!selection_.tables.contains(t.table->name))
                selection_.tables << t.table->name;
            return quoteIdentifier(t.table->name + QLatin1Char('.') + t.field->name);
        }
        QVariant value = t.value;
        if (other.kind == Kind::Field && other.field->type == layout::FieldType::Date) {
            const QDate date = t.kind == Kind::Text ? readDate(value.toString()) : QDate();
            if (!date.isValid()) {
                fail(QStringLiteral("Expected a date such as '05/Mar/2001' for ") +
                         shown(other.source),
                     t.at);
                return std::nullopt;
            }
            value = isoDate(date);
        }
        selection_.bindings << value;
        return QStringLiteral("?");
    }

    // A date as the date boxes take it ("05/Mar/2001", "5/3/01"), or as yyyy-mm-dd.
    static QDate readDate(const QString& text) {
        if (const auto date = parseDate(text))
            return *date;
        return QDate::fromString(text.trimmed(), QStringLiteral("yyyy-MM-dd"));
    }

    const QString& text_;
    qsizetype pos_ = 0;
    int comparisons_ = 0;
    Token current_;
    Token previous_;
    QString error_;
    Selection selection_;
};

} // namespace

Result<Selection> parseSelection(const QString& formula) {
    if (formula.trimmed().isEmpty())
        return Selection{};
    if (formula.size() > MaxLength)
        return Error{QStringLiteral("The formula is longer than %1 characters.").arg(MaxLength)};
    if (const qsizetype nul = formula.indexOf(QChar(u'\0')); nul >= 0)
        return Error{QStringLiteral("The formula holds a NUL character at character %1.")
                         .arg(characterNumber(formula, nul))};
    return Parser(formula).run();
}

} // namespace korvane::reports
