#pragma once
// What the copies of tables that a connection keeps for the lists refilled on every keystroke have in
// common: texts folded as the engine's LIKE compares them, joined into one text that a single scan
// searches, and the change stamp that says whether a copy is still current.

#include "data/sqltexts.h"

#include <QDeadlineTimer>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace lichuan {

class Database;
class Statement;

namespace copies {

// ASCII letters to lower case and nothing else, as LIKE compares.
QString foldAscii(QStringView text);

// Texts that contain a part literally, found at once: each text (folded) followed by a NUL, in one text.
class JoinedTexts {
public:
    void clear();
    void reserve(std::size_t count, qsizetype characters);
    // Appends the text of the next entry, folded.
    void append(QStringView text);
    // Puts `text`, folded, in place of the text of entry k when it is as long; false (nothing changed) when
    // it is not.
    bool replace(std::size_t k, QStringView text);
    std::size_t size() const { return starts_.empty() ? 0 : starts_.size() - 1; }
    // The entries whose text contains `foldedPart`, in entry order; every entry for an empty part.
    std::vector<int> find(const QString& foldedPart) const;

private:
    QString text_;
    std::vector<qsizetype> starts_; // where entry k starts in text_; one more entry at the end
};

// The stamp a copy was read at. `current` says whether it still is.
struct CopyStamp {
    qint64 stamp = -1;
    bool read = false;
    bool current(qint64 now) const { return read && stamp == now; }
};

// Brings a copy read at `at` up to the table's stamp `now`: `apply(rows)` with the rows of `table` changed
// since, when the file's row log knows them, otherwise `readWhole()`. When either throws, the copy counts as
// unread, so that the next call reads it whole.
template <class Apply, class ReadWhole>
void refresh(const Database& db, const QString& table, CopyStamp& at, qint64 now, Apply apply,
             ReadWhole readWhole);

// Reads the rows of a table in the order of a unique key a piece at a time, so that a copy can be built ahead
// in slices between window events. `select` names the columns and the table, its where clause ends in
// "<key> > ?" (the key read last; the first piece starts below every rowid, or after the empty text for a
// text key), and it ends in " order by <key> limit ?"; `values` are bound to the parameters before the
// key's. `keyColumn` is the column of the result that holds the key. On a file no read stays open
// between slices (it would hold other stations' saves back): a slice that ends within a piece reads on from
// the key read last with a new statement. A server's piece has arrived whole, so its rest is read by the
// next slice. What other connections change meanwhile is taken in afterwards, by the table's change stamp.
class Slices {
public:
    enum class Key { Rowid, Text };
    Slices(Key kind, const sql::Text& select, int keyColumn, QStringList values = {});
    // Reads rows until `deadline` has passed (at least a few rows) or the table is read to its end, handing
    // each row to `row`. True when the table has been read to its end. Throws DbError.
    template <class Row> bool read(const Database& db, const QDeadlineTimer& deadline, Row row);
    bool done() const { return done_; }

private:
    // Reads on in the piece being read, or in a new one after the last key; false when it read no row.
    bool readPiece(const Database& db, const QDeadlineTimer& deadline, void (*call)(void*, const Statement&),
                   void* context);

    Key kind_;
    QString select_;
    int keyColumn_;
    QStringList values_;
    qint64 lastRowid_ = std::numeric_limits<qint64>::min();
    QString lastText_ = QStringLiteral("");
    std::shared_ptr<Statement> piece_; // a server's piece that a slice left unfinished
    qint64 pieceRows_ = 0;             // rows read of it
    bool done_ = false;
};

template <class Row> bool Slices::read(const Database& db, const QDeadlineTimer& deadline, Row row) {
    auto call = [](void* context, const Statement& select) { (*static_cast<Row*>(context))(select); };
    while (!done_ && readPiece(db, deadline, call, &row) && !deadline.hasExpired()) {
    }
    return done_;
}

// Compares texts by code point, the order of the engine's plain text comparison (UTF-8 bytes).
int compareCodePoints(QStringView a, QStringView b);

// The rows of `table` changed since `stamp` (see tracking::rowsChangedSince).
std::optional<std::vector<qint64>> changedRows(const Database& db, const QString& table, qint64 stamp);

template <class Apply, class ReadWhole>
void refresh(const Database& db, const QString& table, CopyStamp& at, qint64 now, Apply apply,
             ReadWhole readWhole) {
    if (at.current(now))
        return;
    std::optional<std::vector<qint64>> changed;
    if (at.read)
        changed = changedRows(db, table, at.stamp);
    at.read = false;
    if (changed)
        apply(std::move(*changed));
    else
        readWhole();
    at.stamp = now;
    at.read = true;
}

} // namespace copies
} // namespace lichuan
