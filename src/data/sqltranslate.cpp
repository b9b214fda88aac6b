#include "data/sqltranslate.h"

#include <vector>

namespace lichuan::sql {

namespace {

enum class Kind { Space, Word, Name, String, Param, Punct, Raw };

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

// NULLs come first in ascending order on the file engine and last on the server: every term says so.
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
        auto endTerm = [&](int at) {
            const int last = r.before(at);
            t.insert(t.begin() + last + 1, Token{Kind::Raw, descending ? QStringLiteral(" nulls last")
                                                                       : QStringLiteral(" nulls first")});
            descending = false;
        };
        for (; j < int(t.size()); ++j) {
            const Token& token = t[std::size_t(j)];
            if (isPunct(token, "(")) {
                ++depth;
            } else if (isPunct(token, ")")) {
                if (depth-- == 0)
                    break;
            } else if (depth == 0) {
                if (isPunct(token, ",")) {
                    endTerm(j);
                    ++j;
                } else if (isPunct(token, ";") || isWord(token, "limit") || isWord(token, "offset")) {
                    break;
                } else if (isWord(token, "desc")) {
                    descending = true;
                } else if (isWord(token, "asc")) {
                    descending = false;
                }
            }
        }
        endTerm(j);
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
    dropIndexHintsAndUnaryPlus(r);
    rewriteCollations(r);
    rewriteLike(r);
    insertOrIgnore(r);
    renameFunctions(r);
    orderNulls(r);
    ServerText result;
    result.text = render(r.tokens(), &result.parameters);
    return result;
}

} // namespace lichuan::sql
