#pragma once
// A test that cannot run on this machine says why. Usually that is a QtTest skip, which CTest counts as a
// pass; with LICHUAN_REQUIRE_ALL_TESTS=1 in the environment (CI sets it) it is a failure, so that no run
// reports "100% tests passed" while a part of the suite never ran.

#include <QString>
#include <QtTest>

namespace lichuan::test {

inline bool everyTestMustRun() {
    return qEnvironmentVariableIntValue("LICHUAN_REQUIRE_ALL_TESTS") == 1;
}

inline QString cannotRunHere(const QString& why) {
    return QStringLiteral("cannot run here (LICHUAN_REQUIRE_ALL_TESTS=1 requires every test): ") + why;
}

} // namespace lichuan::test

// Skips the current test function (or, in initTestCase, the whole program) with `why`, or fails it when
// every test must run. `why` is a QString or a string literal.
#define LICHUAN_SKIP(why)                                                                                    \
    do {                                                                                                     \
        const QString lichuanWhy_ = QString(why);                                                            \
        if (::lichuan::test::everyTestMustRun())                                                             \
            QFAIL(qPrintable(::lichuan::test::cannotRunHere(lichuanWhy_)));                                  \
        QSKIP(qPrintable(lichuanWhy_));                                                                      \
    } while (false)
