#pragma once
// Search codes: the pinyin initial of a character, the initials of a name, and the letter-pad digits
// of initials. A key column holds name + initials (+ digits) so one substring search finds all three.

#include <QString>
#include <QStringView>

namespace lichuan {

// The initial of the first character of `c`: a digit stays itself, a Latin letter gives its lower case, a
// double-byte character gives the letter of the first initials list (a … z) that holds it; else empty.
QString InitialOf(QStringView c);

// Initials of the part of `name` before its first space; a double-byte character in no list whose GBK code
// lies in [压, 匝) gives "y".
QString PinyinInitials(QStringView name);

// Letter-pad digits of initials: a b c d → 1, e f g h → 2, i j k l → 3, m n o p → 4, q r s t → 5,
// u v w x → 6, y z → 7; every other character adds nothing.
QString KeyDigits(QStringView initials);

} // namespace lichuan
