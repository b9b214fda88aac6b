#include "data/sqltranslate.h"

#include "data/engine.h"
#include "data/schema.h"

#include <vector>

namespace lichuan::sql {

namespace {

enum class Kind { Space, Word, Name, String, Param, Named, Comment, Punct, Raw };

struct Token {
    Kind kind;
    QString text; // a name without its brackets, a parameter's digits, or the text itself
};

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

std::vector<Token> tokenize(const QString& sql) {
    std::vector<Token> tokens;
    qsizetype i = 0;
    const qsizetype n = sql.size();
    while (i < n) {
        const QChar c = sql.at(i);
        qsizetype j = i + 1;
        if (c.isSpace()) {
            while (j < n && sql.at(j).isSpace())
                ++j;
            tokens.push_back({Kind::Space, sql.mid(i, j - i)});
        } else if (c == QLatin1Char('[')) {
            while (j < n && sql.at(j) != QLatin1Char(']'))
                ++j;
            tokens.push_back({Kind::Name, sql.mid(i + 1, j - i - 1)});
            j = qMin(j + 1, n);
        } else if (c == QLatin1Char('"')) {
            QString name;
            while (j < n) {
                if (sql.at(j) == QLatin1Char('"')) {
                    if (j + 1 < n && sql.at(j + 1) == QLatin1Char('"')) {
                        name += QLatin1Char('"');
                        j += 2;
                        continue;
                    }
                    break;
                }
                name += sql.at(j++);
            }
            tokens.push_back({Kind::Name, name});
            j = qMin(j + 1, n);
        } else if (c == QLatin1Char('\'')) {
            while (j < n) {
                if (sql.at(j) == QLatin1Char('\'')) {
                    if (j + 1 < n && sql.at(j + 1) == QLatin1Char('\'')) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            j = qMin(j + 1, n);
            tokens.push_back({Kind::String, sql.mid(i, j - i)});
        } else if ((c == QLatin1Char('-') && j < n && sql.at(j) == QLatin1Char('-')) ||
                   (c == QLatin1Char('/') && j < n && sql.at(j) == QLatin1Char('*'))) {
            const bool line = c == QLatin1Char('-');
            const qsizetype end = sql.indexOf(line ? QStringLiteral("\n") : QStringLiteral("*/"), j + 1);
            j = end < 0 ? n : end + (line ? 1 : 2);
            tokens.push_back({Kind::Comment, sql.mid(i, j - i)});
        } else if ((c == QLatin1Char(':') || c == QLatin1Char('@') || c == QLatin1Char('$')) && j < n &&
                   isWordChar(sql.at(j))) {
            while (j < n && isWordChar(sql.at(j)))
                ++j;
            tokens.push_back({Kind::Named, sql.mid(i, j - i)});
        } else if (c == QLatin1Char('?')) {
            while (j < n && sql.at(j).isDigit())
                ++j;
            tokens.push_back({Kind::Param, sql.mid(i + 1, j - i - 1)});
        } else if (isWordChar(c)) {
            while (j < n && isWordChar(sql.at(j)))
                ++j;
            tokens.push_back({Kind::Word, sql.mid(i, j - i)});
        } else {
            const QString two = sql.mid(i, 2);
            if (two == QLatin1String(">=") || two == QLatin1String("<=") || two == QLatin1String("<>") ||
                two == QLatin1String("!=") || two == QLatin1String("==") || two == QLatin1String("||"))
                j = i + 2;
            tokens.push_back({Kind::Punct, sql.mid(i, j - i)});
        }
        i = j;
    }
    return tokens;
}

bool isWord(const Token& token, const char* word) {
    return token.kind == Kind::Word && token.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isPunct(const Token& token, const char* text) {
    return token.kind == Kind::Punct && token.text == QLatin1String(text);
}

class Rewriter {
public:
    explicit Rewriter(std::vector<Token> tokens) : t_(std::move(tokens)) {}

    std::vector<Token>& tokens() { return t_; }

    // The index of the nearest token before `i` that is not space, or -1.
    int before(int i) const {
        for (--i; i >= 0; --i) {
            if (t_[std::size_t(i)].kind != Kind::Space)
                return i;
        }
        return -1;
    }
    // The index of the nearest token after `i` that is not space, or size().
    int after(int i) const {
        const int n = int(t_.size());
        for (++i; i < n; ++i) {
            if (t_[std::size_t(i)].kind != Kind::Space)
                return i;
        }
        return n;
    }

    // The first token of the operand that ends at `last`: one token, or a call/parenthesis f( … ).
    int operandStart(int last) const {
        if (last < 0)
            return last;
        if (!isPunct(t_[std::size_t(last)], ")"))
            return last;
        int depth = 0;
        for (int i = last; i >= 0; --i) {
            if (isPunct(t_[std::size_t(i)], ")"))
                ++depth;
            else if (isPunct(t_[std::size_t(i)], "(") && --depth == 0) {
                const int name = before(i);
                return name >= 0 && t_[std::size_t(name)].kind == Kind::Word ? name : i;
            }
        }
        return 0;
    }
    // The last token of the operand that starts at `first`.
    int operandEnd(int first) const {
        const int n = int(t_.size());
        if (first >= n)
            return first;
        int open = first;
        if (t_[std::size_t(first)].kind == Kind::Word) {
            open = after(first);
            if (open >= n || !isPunct(t_[std::size_t(open)], "("))
                return first;
        } else if (!isPunct(t_[std::size_t(first)], "(")) {
            return first;
        }
        int depth = 0;
        for (int i = open; i < n; ++i) {
            if (isPunct(t_[std::size_t(i)], "("))
                ++depth;
            else if (isPunct(t_[std::size_t(i)], ")") && --depth == 0)
                return i;
        }
        return n - 1;
    }

    // Wraps tokens first..last in lower(… collate "C"); a lone parameter is given the text type first.
    // Returns how many tokens were added before `last` + 1.
    int wrapNocase(int first, int last) {
        const bool parameter = first == last && t_[std::size_t(first)].kind == Kind::Param;
        const QString tail =
            parameter ? QStringLiteral("::text collate \"C\")") : QStringLiteral(" collate \"C\")");
        t_.insert(t_.begin() + last + 1, Token{Kind::Raw, tail});
        t_.insert(t_.begin() + first, Token{Kind::Raw, QStringLiteral("lower(")});
        return 2;
    }

    void erase(int first, int last) { t_.erase(t_.begin() + first, t_.begin() + last + 1); }

private:
    std::vector<Token> t_;
};

bool isComparison(const Token& token) {
    if (token.kind != Kind::Punct)
        return false;
    for (const char* op : {"=", "==", ">=", "<=", "<", ">", "<>", "!="}) {
        if (token.text == QLatin1String(op))
            return true;
    }
    return false;
}

// The shapes the rewriting below knows are checked first: any other is refused, naming the statement,
// rather than passed on half-translated (a NOCASE comparison that folds one side only, a pattern that is
// case-blind on one engine and not on the other).
class ShapeCheck {
public:
    ShapeCheck(Rewriter& r, const QString& sql) : r_(r), t_(r.tokens()), sql_(sql) {}

    void run() {
        for (int i = 0; i < size(); ++i) {
            const Token& token = at(i);
            if (token.kind == Kind::Comment)
                refuse(QStringLiteral("a comment"));
            if (token.kind == Kind::Named)
                refuse(QStringLiteral("the named parameter %1").arg(token.text));
            if (isWord(token, "glob") || isWord(token, "regexp") || isWord(token, "match"))
                refuse(token.text.toLower());
            if (isWord(token, "like"))
                checkLike(i);
            else if (isWord(token, "collate"))
                checkCollate(i);
        }
        checkConflictClause();
    }

private:
    int size() const { return int(t_.size()); }
    const Token& at(int i) const { return t_[std::size_t(i)]; }
    bool word(int i, const char* text) const { return i >= 0 && i < size() && isWord(at(i), text); }
    bool punct(int i, const char* text) const { return i >= 0 && i < size() && isPunct(at(i), text); }
    QString textAt(int i) const { return i >= 0 && i < size() ? at(i).text : QString(); }

    [[noreturn]] void refuse(const QString& shape) const {
        throw DbError(QStringLiteral("这条 SQL 的写法不能转换为服务器的语句（%1）：%2").arg(shape, sql_));
    }

    static bool isKeyword(const Token& token) {
        static const char* const keywords[] = {
            "select",  "from",    "where",  "and",      "or",    "not",   "in",     "like",   "glob",
            "between", "is",      "on",     "by",       "order", "group", "having", "limit",  "offset",
            "as",      "case",    "when",   "then",     "else",  "end",   "exists", "values", "set",
            "into",    "collate", "escape", "distinct", "join",  "union", "all"};
        for (const char* keyword : keywords) {
            if (isWord(token, keyword))
                return true;
        }
        return false;
    }

    // What may stand just before an operand that is rewritten on its own (or nothing).
    bool opensOperand(int i) const {
        if (i < 0)
            return true;
        if (punct(i, "(") || punct(i, ","))
            return true;
        for (const char* keyword :
             {"where", "and", "or", "not", "on", "when", "then", "else", "select", "having", "by"}) {
            if (word(i, keyword))
                return true;
        }
        return false;
    }
    // What may stand just after such an operand (or nothing).
    bool closesOperand(int i) const {
        if (i >= size())
            return true;
        if (punct(i, ")") || punct(i, ",") || punct(i, ";"))
            return true;
        for (const char* keyword :
             {"escape", "and", "or", "order", "group", "limit", "then", "when", "else", "end", "union"}) {
            if (word(i, keyword))
                return true;
        }
        return false;
    }

    // The operand from `first` to `last` is one column, parameter, text, number or call.
    void checkOperand(int first, int last, const QString& of) const {
        if (first < 0 || first >= size() || last < first)
            refuse(QStringLiteral("%1 without an operand").arg(of));
        if (punct(first, "(") || isKeyword(at(first)))
            refuse(QStringLiteral("a compound operand of %1").arg(of));
        if (punct(r_.before(first), ".") || punct(r_.after(last), "."))
            refuse(QStringLiteral("a qualified operand of %1").arg(of));
    }
    void checkOpens(int first, const QString& of) const {
        if (!opensOperand(r_.before(first)))
            refuse(QStringLiteral("a compound operand of %1").arg(of));
    }

    // `A like B`, each side one operand.
    void checkLike(int i) const {
        const int lastA = r_.before(i);
        if (word(lastA, "not"))
            refuse(QStringLiteral("not like"));
        const int firstA = r_.operandStart(lastA);
        checkOperand(firstA, lastA, QStringLiteral("like"));
        checkOpens(firstA, QStringLiteral("like"));
        const int firstB = r_.after(i);
        const int lastB = r_.operandEnd(firstB);
        checkOperand(firstB, lastB, QStringLiteral("like"));
        const int next = r_.after(lastB);
        if (word(next, "collate"))
            refuse(QStringLiteral("collate after like"));
        if (!closesOperand(next))
            refuse(QStringLiteral("a compound operand of like"));
    }

    // The index of the parenthesis that encloses `i`, or -1.
    int enclosingParenthesis(int i) const {
        int depth = 0;
        for (int k = i; k >= 0; --k) {
            if (punct(k, ")"))
                ++depth;
            else if (punct(k, "(") && depth-- == 0)
                return k;
        }
        return -1;
    }

    // `X collate nocase|GBK` on the right of a comparison (both sides one operand), on an index column or
    // an order term.
    void checkCollate(int i) const {
        const int kind = r_.after(i);
        if (!word(kind, "nocase") && !word(kind, "gbk"))
            refuse(QStringLiteral("collate %1").arg(textAt(kind)));
        if (r_.after(kind) < size() && isComparison(at(r_.after(kind))))
            refuse(QStringLiteral("collate on the left of a comparison"));
        const int lastB = r_.before(i);
        const int firstB = r_.operandStart(lastB);
        if (word(firstB, "in"))
            refuse(QStringLiteral("collate after in"));
        checkOperand(firstB, lastB, QStringLiteral("collate"));
        const int op = r_.before(firstB);
        if (word(op, "like") || word(op, "glob"))
            refuse(QStringLiteral("collate after like"));
        if (word(op, "between") ||
            (word(op, "and") && word(r_.before(r_.operandStart(r_.before(op))), "between")))
            refuse(QStringLiteral("collate after between"));
        if (punct(op, "(") || punct(op, ",")) {
            const int open = enclosingParenthesis(op);
            if (word(r_.before(open), "in"))
                refuse(QStringLiteral("collate after in"));
        }
        if (op >= 0 && isComparison(at(op))) {
            const int lastA = r_.before(op);
            const int firstA = r_.operandStart(lastA);
            checkOperand(firstA, lastA, QStringLiteral("collate"));
            checkOpens(firstA, QStringLiteral("collate"));
            return;
        }
        checkOpens(firstB, QStringLiteral("collate"));
    }

    // `insert or ignore` is known; `insert or replace` and the other conflict clauses are not.
    void checkConflictClause() const {
        const int first = r_.after(-1);
        if (word(first, "replace"))
            refuse(QStringLiteral("replace into"));
        if ((word(first, "insert") || word(first, "update")) && word(r_.after(first), "or") &&
            !(word(first, "insert") && word(r_.after(r_.after(first)), "ignore")))
            refuse(QStringLiteral("%1 or %2").arg(textAt(first), textAt(r_.after(r_.after(first)))));
    }

    Rewriter& r_;
    const std::vector<Token>& t_;
    const QString& sql_;
};

void dropIndexHintsAndUnaryPlus(Rewriter& r) {
    auto& t = r.tokens();
    for (int i = 0; i < int(t.size()); ++i) {
        if (isWord(t[std::size_t(i)], "indexed")) {
            const int by = r.after(i);
            const int name = r.after(by);
            if (name < int(t.size()) && isWord(t[std::size_t(by)], "by")) {
                const bool spaceAfter =
                    name + 1 < int(t.size()) && t[std::size_t(name + 1)].kind == Kind::Space;
                r.erase(i, spaceAfter ? name + 1 : name);
                --i;
            }
        } else if (isPunct(t[std::size_t(i)], "+")) {
            const int prev = r.before(i);
            const int next = r.after(i);
            const bool unary =
                prev < 0 || t[std::size_t(prev)].kind == Kind::Punct ||
                (t[std::size_t(prev)].kind == Kind::Word &&
                 (isWord(t[std::size_t(prev)], "and") || isWord(t[std::size_t(prev)], "or") ||
                  isWord(t[std::size_t(prev)], "where") || isWord(t[std::size_t(prev)], "on") ||
                  isWord(t[std::size_t(prev)], "by") || isWord(t[std::size_t(prev)], "select")));
            if (unary && next < int(t.size()) && t[std::size_t(next)].kind == Kind::Name &&
                !(prev >= 0 && isPunct(t[std::size_t(prev)], ")"))) {
                r.erase(i, i);
                --i;
            }
        }
    }
}

void rewriteCollations(Rewriter& r) {
    auto& t = r.tokens();
    for (int i = 0; i < int(t.size()); ++i) {
        if (!isWord(t[std::size_t(i)], "collate"))
            continue;
        const int kind = r.after(i);
        if (kind >= int(t.size()))
            break;
        const int lastB = r.before(i);
        const int firstB = r.operandStart(lastB);
        if (isWord(t[std::size_t(kind)], "gbk")) {
            r.erase(lastB + 1, kind);
            t.insert(t.begin() + lastB + 1, Token{Kind::Raw, QStringLiteral(")")});
            t.insert(t.begin() + firstB, Token{Kind::Raw, QStringLiteral("lichuan_gbk(")});
            i = lastB + 2;
        } else if (isWord(t[std::size_t(kind)], "nocase")) {
            r.erase(lastB + 1, kind);
            const int op = r.before(firstB);
            if (op >= 0 && isComparison(t[std::size_t(op)])) {
                r.wrapNocase(firstB, lastB);
                const int lastA = r.before(op);
                const int firstA = r.operandStart(lastA);
                r.wrapNocase(firstA, lastA);
                i = lastB + 4;
            } else {
                r.wrapNocase(firstB, lastB);
                i = lastB + 2;
            }
        }
    }
}

void rewriteLike(Rewriter& r) {
    auto& t = r.tokens();
    for (int i = 0; i < int(t.size()); ++i) {
        if (!isWord(t[std::size_t(i)], "like"))
            continue;
        const int firstB = r.after(i);
        if (firstB >= int(t.size()))
            break;
        const int lastB = r.operandEnd(firstB);
        r.wrapNocase(firstB, lastB);
        const int lastA = r.before(i);
        const int firstA = r.operandStart(lastA);
        if (firstA >= 0)
            i += r.wrapNocase(firstA, lastA);
    }
}

// `insert or ignore into …` skips rows that break a unique key: `… on conflict do nothing` on the server.
void insertOrIgnore(Rewriter& r) {
    auto& t = r.tokens();
    const int first = r.after(-1);
    const int orWord = r.after(first);
    const int ignore = r.after(orWord);
    if (ignore >= int(t.size()) || !isWord(t[std::size_t(first)], "insert") ||
        !isWord(t[std::size_t(orWord)], "or") || !isWord(t[std::size_t(ignore)], "ignore"))
        return;
    r.erase(first + 1, ignore);
    int end = int(t.size());
    while (end > 0 && (t[std::size_t(end - 1)].kind == Kind::Space || isPunct(t[std::size_t(end - 1)], ";")))
        --end;
    t.insert(t.begin() + end, Token{Kind::Raw, QStringLiteral(" on conflict do nothing")});
}

// `instr(X, Y) > 0` → `(X like '%' || Y with its wildcards escaped || '%')`: the same test, and one whose
// pattern the server's planner can weigh against its statistics (it takes any call for a third of the rows,
// and then reads a whole table where an index finds the handful of rows).
void instrAsLike(Rewriter& r) {
    auto& t = r.tokens();
    for (int i = 0; i < int(t.size()); ++i) {
        if (!isWord(t[std::size_t(i)], "instr"))
            continue;
        const int open = r.after(i);
        if (open >= int(t.size()) || !isPunct(t[std::size_t(open)], "("))
            continue;
        int comma = -1;
        int close = -1;
        int depth = 0;
        for (int j = open; j < int(t.size()) && close < 0; ++j) {
            if (isPunct(t[std::size_t(j)], "("))
                ++depth;
            else if (isPunct(t[std::size_t(j)], ")") && --depth == 0)
                close = j;
            else if (depth == 1 && isPunct(t[std::size_t(j)], ",") && comma < 0)
                comma = j;
        }
        const int greater = r.after(close);
        const int zero = r.after(greater);
        if (comma < 0 || close < 0 || zero >= int(t.size()) || !isPunct(t[std::size_t(greater)], ">") ||
            t[std::size_t(zero)].text != QLatin1String("0"))
            continue;
        std::vector<Token> haystack(t.begin() + r.after(open), t.begin() + r.before(comma) + 1);
        std::vector<Token> needle(t.begin() + r.after(comma), t.begin() + r.before(close) + 1);
        const bool parameter =
            r.after(comma) == r.before(close) && t[std::size_t(r.after(comma))].kind == Kind::Param;
        std::vector<Token> replacement{{Kind::Raw, QStringLiteral("(")}};
        replacement.insert(replacement.end(), haystack.begin(), haystack.end());
        replacement.push_back({Kind::Raw, QStringLiteral(" like '%' || replace(replace(replace(")});
        replacement.insert(replacement.end(), needle.begin(), needle.end());
        replacement.push_back(
            {Kind::Raw, QStringLiteral("%1, '\\', '\\\\'), '%', '\\%'), '_', '\\_') || '%')")
                            .arg(parameter ? QStringLiteral("::text") : QString())});
        r.erase(i, zero);
        t.insert(t.begin() + i, replacement.begin(), replacement.end());
        i += int(replacement.size()) - 1;
    }
}

void renameFunctions(Rewriter& r) {
    auto& t = r.tokens();
    for (int i = 0; i < int(t.size()); ++i) {
        const int next = r.after(i);
        if (next >= int(t.size()) || !isPunct(t[std::size_t(next)], "("))
            continue;
        if (isWord(t[std::size_t(i)], "instr"))
            t[std::size_t(i)].text = QStringLiteral("strpos");
        else if (isWord(t[std::size_t(i)], "last_insert_rowid"))
            t[std::size_t(i)].text = QStringLiteral("lastval");
    }
}

// NULLs come first in ascending order on the file engine and last on the server: every term that can be
// NULL says so. A column that never is (the row number) gets no clause, so that the server can walk its
// index in that order instead of sorting.
void orderNulls(Rewriter& r) {
    auto& t = r.tokens();
    for (int i = 0; i < int(t.size()); ++i) {
        if (!isWord(t[std::size_t(i)], "order"))
            continue;
        const int by = r.after(i);
        if (by >= int(t.size()) || !isWord(t[std::size_t(by)], "by"))
            continue;
        int depth = 0;
        int j = r.after(by);
        bool descending = false;
        std::vector<int> term; // the tokens of the term, without asc or desc
        auto endTerm = [&](int at) {
            const bool column = term.size() == 1 && (t[std::size_t(term[0])].kind == Kind::Name ||
                                                     t[std::size_t(term[0])].kind == Kind::Word);
            if (!column || schema::canBeNull(t[std::size_t(term[0])].text)) {
                const int last = r.before(at);
                t.insert(t.begin() + last + 1, Token{Kind::Raw, descending ? QStringLiteral(" nulls last")
                                                                           : QStringLiteral(" nulls first")});
                ++at;
            }
            descending = false;
            term.clear();
            return at;
        };
        for (; j < int(t.size()); ++j) {
            const Token& token = t[std::size_t(j)];
            if (depth == 0 && isPunct(token, ")"))
                break;
            if (depth == 0 && (isPunct(token, ";") || isWord(token, "limit") || isWord(token, "offset")))
                break;
            if (depth == 0 && isPunct(token, ",")) {
                j = endTerm(j);
                continue;
            }
            if (isPunct(token, "("))
                ++depth;
            else if (isPunct(token, ")"))
                --depth;
            if (depth == 0 && isWord(token, "desc"))
                descending = true;
            else if (depth == 0 && isWord(token, "asc"))
                descending = false;
            else if (token.kind != Kind::Space)
                term.push_back(j);
        }
        j = endTerm(j);
        i = j;
    }
}

QString render(const std::vector<Token>& tokens, int* parameters) {
    QString out;
    int highest = 0;
    for (const Token& token : tokens) {
        switch (token.kind) {
        case Kind::Name: {
            QString name = token.text;
            name.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            out += QLatin1Char('"') + name + QLatin1Char('"');
            break;
        }
        case Kind::Param: {
            const int number = token.text.isEmpty() ? highest + 1 : token.text.toInt();
            highest = qMax(highest, number);
            out += QLatin1Char('$') + QString::number(number);
            break;
        }
        default:
            out += token.text;
        }
    }
    *parameters = highest;
    return out;
}

} // namespace

ServerText serverSql(const QString& fileSql) {
    Rewriter r(tokenize(fileSql));
    ShapeCheck(r, fileSql).run();
    dropIndexHintsAndUnaryPlus(r);
    rewriteCollations(r);
    rewriteLike(r);
    insertOrIgnore(r);
    instrAsLike(r);
    renameFunctions(r);
    orderNulls(r);
    ServerText result;
    result.text = render(r.tokens(), &result.parameters);
    return result;
}

} // namespace lichuan::sql
