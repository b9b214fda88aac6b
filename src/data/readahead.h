#pragma once
// The copies that the lists of the prescription window search on every keystroke, read before the doctor
// types: while the login window waits for the password, and on after the window opens, a slice at a time
// between window events, so that no key waits for more than a slice. They are read in the order the doctor
// needs them: the patients (the name is typed first), the herbs (the search box's first category), the names
// of the history, the diagnoses and addresses, the other catalog categories, the templates. A lookup that
// comes before its copy is complete reads the rest of that copy at once.
//
// Everything runs on the thread of the connection, between its other uses: the copies are the connection's
// own (their stamps are its stamps, on a server too), no second connection derives the key again, and
// nothing is handed over between threads.

#include <QDeadlineTimer>
#include <cstddef>

namespace lichuan {

class Database;

class ReadAhead {
public:
    explicit ReadAhead(const Database& main) : main_(main) {}

    const Database& database() const { return main_; }
    // Reads on until `deadline` has passed (a little more: a slice ends between rows); true when every copy
    // has been read.
    bool step(const QDeadlineTimer& deadline);
    bool done() const;

private:
    const Database& main_;
    std::size_t next_ = 0; // the copy being read
};

} // namespace lichuan
