#pragma once
// The program's rule for a read that fails: a list shows nothing, a lookup finds nothing, and the user is
// not told (the step is skipped, as every failed step is). Written once here, so that each read that may
// fail quietly says so. A save the user asked for is no such read: it reports what was not stored.

#include "data/engine.h"

#include <type_traits>
#include <utility>

namespace lichuan {

// Runs `read` and gives what it returns; when the engine fails (DbError), gives `nothing` instead: an
// empty list, no row, false.
template <class Read, class T = std::invoke_result_t<Read>> T readQuietly(Read&& read, T nothing = T()) {
    try {
        return std::forward<Read>(read)();
    } catch (const DbError&) {
        return nothing;
    }
}

} // namespace lichuan
