#pragma once
// The program's SQL texts are written once, for the file engine: `?` and `?N` parameters, [名称] quoting,
// `collate nocase`, `collate GBK`, `like` that ignores the case of ASCII letters, NULLs first in ascending
// order. serverSql() turns such a text into the same query for the PostgreSQL server.

#include <QString>

namespace lichuan::sql {

struct ServerText {
    QString text;       // with $1, $2 … parameters and "名称" quoting
    int parameters = 0; // the highest parameter number used
};

// The server form of `fileSql`:
// - [名称] → "名称"; `?` → $n in order, `?N` → $N;
// - `A op B collate nocase` → lower(A collate "C") op lower(B collate "C") (ASCII case only, as NOCASE);
//   a lone `X collate nocase` (an index column) → lower(X collate "C");
// - `A like B` → lower(A collate "C") like lower(B collate "C");
// - `X collate GBK` → lichuan_gbk(X), the server's GBK sort key;
// - every `order by` term gets `nulls first` (ascending) or `nulls last` (descending);
// - `insert or ignore …` → insert … on conflict do nothing;
// - `instr(X, Y) > 0` → X like '%'‖Y‖'%' with Y's wildcards escaped (a pattern the server can weigh);
//   another `instr(` → strpos(; `last_insert_rowid()` → lastval(); `indexed by [x]` and a unary `+` before a
//   column are dropped.
// Any other shape throws DbError naming the statement, rather than giving a query that answers otherwise
// on the server: `not like`, `glob`, a qualified (t.[x]) or compound ([a] || [b], (…)) operand of `like` or
// `collate`, `collate` after `like`, `between` or `in`, or on the left of a comparison, a collation other
// than NOCASE and GBK, comments, named parameters (:x, @x, $x), `insert or replace` and the other
// conflict clauses.
ServerText serverSql(const QString& fileSql);

} // namespace lichuan::sql
