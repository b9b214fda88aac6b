#pragma once
// The web addresses the program opens: the maker's home page, the download page and the local help page.
// The two web addresses are kept scrambled in the program text.

#include <QString>
#include <QStringList>
#include <QUrl>

namespace lichuan::weblinks {

QString homePage();
QString downloadPage();

// Where the help page is looked for, first match wins: beside the program (the build tree), in
// share/lichuan/help of the installation the program belongs to, then in the system's data folders.
QStringList helpPageCandidates(const QString& programFolder);
// The first candidate that exists; empty when none does.
QString findHelpPage(const QString& programFolder);
// The help page of the running program as a file address; empty when it is not installed.
QUrl helpPage();

} // namespace lichuan::weblinks
