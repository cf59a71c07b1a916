#pragma once

#include <QString>

#include <functional>

// Looks at a file before the program uses it as its register, without writing
// a byte to it, and makes a new empty register on request.
namespace RegisterFile {

// Plain: the register's tables and stored queries as common conversion tools
// write them, without the keys, indexes and kept counts the program works by.
enum class Status { Ok, Missing, Unusable, Plain };

struct Check
{
    Status status = Status::Ok;
    QString problem; // Romanian, names what is wrong
};

Check inspect(const QString &fileName);
// Creates an empty register; fails if the file exists.
bool create(const QString &fileName, QString *problem);
// Brings a plain register to the program's layout in one transaction; the rows
// keep their keys. Told the tables done so far, of all.
bool convert(const QString &fileName, const std::function<void(int, int)> &progress,
             QString *problem);

} // namespace RegisterFile
