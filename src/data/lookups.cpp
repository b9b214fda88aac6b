#include "data/lookups.h"

#include "data/engine.h"
#include "data/quietread.h"
#include "data/schema.h"
#include "data/smallcopies.h"
#include "data/sqltexts.h"
#include "data/tablecopy.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

namespace lichuan {

namespace {

// %1: the word list.
const sql::Text kNamesByKey{
    QStringLiteral("select [名称] from %1 where [序号] like ? escape '\\' order by rowid"), [] {
        return std::vector<QStringList>{{quoted(schema::kAddress)}, {quoted(schema::kDiagnosis)}};
    }};

// Names of the rows of a word list (地址, 诊断) whose key contains `key`, in the order they were stored.
QStringList namesByKey(const Database& main, const QString& table, const QString& key) {
    return readQuietly([&] {
        QStringList names;
        if (const smallcopies::WordList* list = smallcopies::wordList(main, table)) {
            for (const int k : list->keys.find(copies::foldAscii(key))) {
                const smallcopies::Word& word = list->rows[std::size_t(k)];
                if (!word.keyNull) // a missing key never matches, not even an empty part
                    names << word.name;
            }
            return names;
        }
        Statement select(main, kNamesByKey.arg(quoted(table)));
        select.bind(1, containsPattern(key));
        while (select.next())
            names << select.text(0);
        return names;
    });
}

} // namespace

// The name field asks on every keystroke, so each connection keeps a copy of 患者信息 in rowid order (rows
// without a key never match and are left out), each row packed into one text, and the folded keys joined
// into one text that a single scan searches. When the table's change stamp moved, the rows changed since are
// read again, or the whole table when they are not known. The rows are replaced, never changed in place, so
// the matches a list still shows keep the rows they were found in.
struct PackedPatient {
    qint64 rowid = 0;
    QString text;                  // the nine columns one after the other
    std::array<quint32, 9> ends{}; // where column k ends in `text`

    QStringView column(std::size_t k) const {
        const quint32 from = k == 0 ? 0 : ends[k - 1];
        return QStringView(text).mid(from, ends[k] - from);
    }
};

namespace {

using PackedRows = std::vector<PackedPatient>;

PackedPatient pack(const Statement& row) {
    PackedPatient packed;
    packed.rowid = row.integer(9);
    for (int k = 0; k < 9; ++k) {
        packed.text += row.text(k);
        packed.ends[std::size_t(k)] = quint32(packed.text.size());
    }
    packed.text.squeeze();
    return packed;
}

// The nine columns of PatientRow, then the rowid.
const QString kPatientCopyColumns =
    QStringLiteral("[序号],[姓名],[性别],[年龄],[医疗证号],[电话],[住址],[费别],[诊断],rowid");

const sql::Text kPatientsAfter{
    QStringLiteral("select %1 from [患者信息] where [序号] is not null and rowid > ? "
                   "order by rowid limit ?")
        .arg(kPatientCopyColumns)};

// A copy being read ahead in slices: the table's stamp before the first piece, and the rows read so far.
struct PatientsAhead {
    qint64 stamp = -1;
    copies::Slices slices{copies::Slices::Key::Rowid, kPatientsAfter, 9};
    PackedRows rows;
};

struct PatientCopy {
    copies::CopyStamp at;
    std::shared_ptr<PackedRows> rows = std::make_shared<PackedRows>(); // ascending rowid
    copies::JoinedTexts keys;                                          // the folded key of every row
    std::shared_ptr<PatientsAhead> ahead;                              // while it is read ahead

    void joinKeys() {
        keys.clear();
        qsizetype length = 0;
        for (const PackedPatient& row : *rows)
            length += row.ends[0];
        keys.reserve(rows->size(), length);
        for (const PackedPatient& row : *rows)
            keys.append(row.column(0));
    }
};

const sql::Text kAllPatients{
    QStringLiteral("select %1 from [患者信息] where [序号] is not null order by rowid")
        .arg(kPatientCopyColumns)};
const sql::Text kPatientById{
    QStringLiteral("select %1 from [患者信息] where rowid = ? and [序号] is not null")
        .arg(kPatientCopyColumns)};
const sql::Text kPatientsByKey{QStringLiteral("select %1 from [患者信息] where [序号] like ? escape '\\' "
                                              "order by rowid")
                                   .arg(kPatientCopyColumns)};

void readAllPatients(const Database& main, PatientCopy& copy) {
    PackedRows rows;
    Statement select(main, kAllPatients);
    while (select.next())
        rows.push_back(pack(select));
    rows.shrink_to_fit();
    copy.rows = std::make_shared<PackedRows>(std::move(rows));
}

// Merges the current state of the changed rows into a new copy, keeping the rowid order.
void applyPatientChanges(const Database& main, PatientCopy& copy, std::vector<qint64> rowids) {
    std::sort(rowids.begin(), rowids.end());
    std::vector<std::optional<PackedPatient>> current;
    current.reserve(rowids.size());
    Statement select(main, kPatientById);
    for (const qint64 rowid : rowids) {
        select.reset();
        select.bind(1, rowid);
        current.push_back(select.next() ? std::optional<PackedPatient>(pack(select)) : std::nullopt);
    }
    PackedRows merged;
    merged.reserve(copy.rows->size() + rowids.size());
    const bool shown = copy.rows.use_count() > 1; // a list still shows matches found in these rows
    std::size_t c = 0;
    for (PackedPatient& row : *copy.rows) {
        for (; c < rowids.size() && rowids[c] <= row.rowid; ++c) {
            if (current[c])
                merged.push_back(std::move(*current[c]));
        }
        if (!std::binary_search(rowids.begin(), rowids.end(), row.rowid)) {
            if (shown)
                merged.push_back(row); // shares the text
            else
                merged.push_back(std::move(row));
        }
    }
    for (; c < rowids.size(); ++c) {
        if (current[c])
            merged.push_back(std::move(*current[c]));
    }
    copy.rows = std::make_shared<PackedRows>(std::move(merged));
}

// Reads on at the copy being read ahead until `deadline`; when it is complete it becomes the copy, current
// as of the stamp before its first piece. True when there is nothing more to read ahead. Throws DbError.
bool readAhead(const Database& main, PatientCopy& copy, const QDeadlineTimer& deadline) {
    if (copy.at.read) {
        copy.ahead.reset();
        return true;
    }
    if (!copy.ahead) {
        const qint64 stamp = main.tableStamp(schema::kPatient);
        if (stamp < 0)
            return true; // no copy is kept of this file's table
        copy.ahead = std::make_shared<PatientsAhead>();
        copy.ahead->stamp = stamp;
    }
    PatientsAhead& ahead = *copy.ahead;
    if (!ahead.slices.read(main, deadline, [&](const Statement& row) { ahead.rows.push_back(pack(row)); }))
        return false;
    ahead.rows.shrink_to_fit();
    copy.rows = std::make_shared<PackedRows>(std::move(ahead.rows));
    copy.joinKeys();
    copy.at.stamp = ahead.stamp;
    copy.at.read = true;
    copy.ahead.reset();
    return true;
}

const PatientCopy& patientCopy(const Database& main, qint64 stamp) {
    PatientCopy& copy = main.attachment<PatientCopy>();
    if (copy.ahead) // a lookup before the copy read ahead is complete reads the rest at once
        readAhead(main, copy, QDeadlineTimer(QDeadlineTimer::Forever));
    copies::refresh(
        main, schema::kPatient, copy.at, stamp,
        [&](std::vector<qint64> rowids) {
            applyPatientChanges(main, copy, std::move(rowids));
            copy.joinKeys();
        },
        [&] {
            readAllPatients(main, copy);
            copy.joinKeys();
        });
    return copy;
}

// The patients the query finds, packed like the copy's rows: when there is no stamp to keep a copy by, and
// as the way the program answered before it kept a copy.
PatientMatches queriedPatients(const Database& main, const QString& key) {
    PackedRows rows;
    Statement select(main, kPatientsByKey);
    select.bind(1, containsPattern(key));
    while (select.next())
        rows.push_back(pack(select));
    std::vector<int> all(rows.size());
    for (std::size_t k = 0; k < all.size(); ++k)
        all[k] = int(k);
    return PatientMatches(std::make_shared<const PackedRows>(std::move(rows)), std::move(all));
}

std::vector<PatientRow> rowsOf(const PatientMatches& matches) {
    std::vector<PatientRow> patients;
    patients.reserve(matches.size());
    for (std::size_t k = 0; k < matches.size(); ++k)
        patients.push_back(matches.row(k));
    return patients;
}

} // namespace

PatientMatches::PatientMatches() = default;
PatientMatches::PatientMatches(Rows rows, std::vector<int> found)
    : rows_(std::move(rows)), found_(std::move(found)) {}
PatientMatches::~PatientMatches() = default;
PatientMatches::PatientMatches(PatientMatches&&) noexcept = default;
PatientMatches& PatientMatches::operator=(PatientMatches&&) noexcept = default;

QStringView PatientMatches::name(std::size_t k) const {
    return (*rows_)[std::size_t(found_[k])].column(1);
}

QStringView PatientMatches::birthYear(std::size_t k) const {
    return (*rows_)[std::size_t(found_[k])].column(3);
}

PatientRow PatientMatches::row(std::size_t k) const {
    const PackedPatient& packed = (*rows_)[std::size_t(found_[k])];
    const auto column = [&](std::size_t c) { return packed.column(c).toString(); };
    return PatientRow{column(0), column(1), column(2), column(3), column(4),
                      column(5), column(6), column(7), column(8)};
}

std::vector<PatientRow> suggestPatientsByQuery(const Database& main, const QString& key) {
    return readQuietly([&]() -> std::vector<PatientRow> { return rowsOf(queriedPatients(main, key)); });
}

PatientMatches findPatients(const Database& main, const QString& key) {
    try {
        const qint64 stamp = main.tableStamp(schema::kPatient);
        if (stamp < 0)
            return queriedPatients(main, key);
        const PatientCopy& copy = patientCopy(main, stamp);
        return PatientMatches(copy.rows, copy.keys.find(copies::foldAscii(key)));
    } catch (const DbError&) {
        main.attachment<PatientCopy>() = PatientCopy();
        return PatientMatches();
    }
}

bool readPatientsAhead(const Database& main, const QDeadlineTimer& deadline) {
    PatientCopy& copy = main.attachment<PatientCopy>();
    try {
        return readAhead(main, copy, deadline);
    } catch (const DbError&) {
        copy.ahead.reset(); // the first lookup reads the table itself
        return true;
    }
}

std::vector<PatientRow> suggestPatients(const Database& main, const QString& key) {
    return rowsOf(findPatients(main, key));
}

QStringList suggestAddresses(const Database& main, const QString& key) {
    return namesByKey(main, QStringLiteral("地址"), key);
}

QStringList suggestDiagnoses(const Database& main, const QString& key) {
    return namesByKey(main, QStringLiteral("诊断"), key);
}

} // namespace lichuan
