#pragma once
// What the copies of tables that a connection keeps for the lists refilled on every keystroke have in
// common: texts folded as the engine's LIKE compares them, joined into one text that a single scan
// searches, and the change stamp that says whether a copy is still current.

#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace lichuan {

class Database;

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
