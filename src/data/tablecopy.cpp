#include "data/tablecopy.h"

#include "data/engine.h"
#include "data/tracking.h"

#include <algorithm>

namespace lichuan::copies {

QString foldAscii(QStringView text) {
    QString folded = text.toString();
    for (QChar& c : folded) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return folded;
}

void JoinedTexts::clear() {
    text_.clear();
    starts_.clear();
}

void JoinedTexts::reserve(std::size_t count, qsizetype characters) {
    starts_.reserve(count + 1);
    text_.reserve(characters + qsizetype(count));
}

namespace {

void foldInPlace(QChar* c, QChar* end) {
    for (; c != end; ++c) {
        if (*c >= QLatin1Char('A') && *c <= QLatin1Char('Z'))
            *c = QChar(c->unicode() + ('a' - 'A'));
    }
}

} // namespace

void JoinedTexts::append(QStringView text) {
    if (starts_.empty())
        starts_.push_back(0);
    const qsizetype from = text_.size();
    text_ += text;
    text_ += QChar(0);
    foldInPlace(text_.data() + from, text_.data() + text_.size());
    starts_.push_back(text_.size());
}

bool JoinedTexts::replace(std::size_t k, QStringView text) {
    if (k >= size() || starts_[k + 1] - starts_[k] - 1 != text.size())
        return false;
    QChar* at = text_.data() + starts_[k];
    std::copy(text.begin(), text.end(), at);
    foldInPlace(at, at + text.size());
    return true;
}

std::vector<int> JoinedTexts::find(const QString& foldedPart) const {
    std::vector<int> found;
    if (foldedPart.isEmpty()) {
        found.resize(size());
        for (std::size_t k = 0; k < found.size(); ++k)
            found[k] = int(k);
        return found;
    }
    std::size_t k = 0;
    qsizetype from = 0;
    for (qsizetype at = text_.indexOf(foldedPart, from); at >= 0; at = text_.indexOf(foldedPart, from)) {
        while (starts_[k + 1] <= at)
            ++k;
        if (at + foldedPart.size() < starts_[k + 1]) { // inside the text of entry k (before its NUL)
            found.push_back(int(k));
            from = starts_[k + 1];
        } else {
            from = at + 1;
        }
        if (from >= text_.size())
            break;
    }
    return found;
}

Slices::Slices(Key kind, const sql::Text& select, int keyColumn, QStringList values)
    : kind_(kind), select_(select.text()), keyColumn_(keyColumn), values_(std::move(values)) {}

bool Slices::readPiece(const Database& db, const QDeadlineTimer& deadline,
                       void (*call)(void*, const Statement&), void* context) {
    // A file's piece is small enough for a slice, and large enough that a statement is prepared seldom; a
    // server's is larger, so that the table comes in few round trips. The deadline is looked at every few
    // rows.
    const bool server = db.engine() == Database::Engine::Server;
    const qint64 pieceLength = server ? 4096 : 512;
    constexpr int kRowsBetweenLooks = 16;
    if (!piece_) {
        piece_ = std::make_shared<Statement>(db, select_);
        int index = 1;
        for (const QString& value : values_)
            piece_->bind(index++, value);
        if (kind_ == Key::Rowid)
            piece_->bind(index, lastRowid_);
        else
            piece_->bind(index, lastText_);
        piece_->bind(index + 1, pieceLength);
        pieceRows_ = 0;
    }
    qint64 rows = 0;
    while (piece_->next()) {
        if (kind_ == Key::Rowid)
            lastRowid_ = piece_->integer(keyColumn_);
        else
            lastText_ = piece_->text(keyColumn_);
        call(context, *piece_);
        ++rows;
        ++pieceRows_;
        if (rows % kRowsBetweenLooks == 0 && deadline.hasExpired()) {
            if (!server)
                piece_.reset(); // the next slice reads on after the last key
            return true;
        }
    }
    if (pieceRows_ < pieceLength)
        done_ = true;
    piece_.reset();
    return rows > 0 || !done_;
}

int compareCodePoints(QStringView a, QStringView b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x == y)
            continue;
        // UTF-16 order puts surrogates (code points above U+FFFF) before U+E000…U+FFFF: lift them above.
        if (x >= 0xD800 && y >= 0xD800) {
            x = x >= 0xE000 ? char16_t(x - 0x800) : char16_t(x + 0x2000);
            y = y >= 0xE000 ? char16_t(y - 0x800) : char16_t(y + 0x2000);
        }
        return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::optional<std::vector<qint64>> changedRows(const Database& db, const QString& table, qint64 stamp) {
    return tracking::rowsChangedSince(db, table, stamp);
}

} // namespace lichuan::copies
