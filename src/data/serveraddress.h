#pragma once
// The server road: a first line `postgresql://host[:port]/database?…` of the computer-name file names the
// clinic's database server. The program sets every connection parameter that matters; the password comes
// from the user's ~/.pgpass only.

#include <QString>
#include <utility>
#include <vector>

namespace lichuan::server {

inline constexpr int kConnectTimeoutSeconds = 5;

// Whether a line of the computer-name file names a server rather than a computer.
bool isServerAddress(const QString& line);

struct Options {
    std::vector<std::pair<QByteArray, QByteArray>> values; // libpq keywords and values, in order
    QString error;                                         // why the line is no usable address
};

// The address as shown to the user: without a password, should the line hold one.
QString displayAddress(const QString& address);

// The connection parameters of `address` for the station `station`: the line's host, port, database and
// TLS settings, with connect_timeout, keepalives, UTF-8 and application_name set by the program. A password
// written in the line is dropped (it would sit readable in the data folder).
Options connectionOptions(const QString& address, const QString& station);

} // namespace lichuan::server
