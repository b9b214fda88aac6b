#pragma once
// The row of 用药确认 that goes with a prescription (its 妊娠 mark and the doctor's confirmation), written,
// read and deleted inside the transaction of the prescription's own save, reload and delete. A file without
// the table (an older file that could not be upgraded) keeps no note: nothing is written or read there.

#include "data/record.h"

namespace lichuan {

class Database;

namespace clinical {

// Replaces the note of prescription `key`: an empty note leaves no row. Throws DbError.
void writeNote(Database& main, const QString& key, const ClinicalNote& note);
// The note of prescription `key`; an empty one when there is none. Throws DbError.
ClinicalNote readNote(const Database& main, const QString& key);
// Removes the note of prescription `key`. Throws DbError.
void deleteNote(Database& main, const QString& key);

} // namespace clinical
} // namespace lichuan
