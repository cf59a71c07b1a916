#pragma once

#include <QString>

// Looks at a file before the program uses it as its register, without writing
// a byte to it, and makes a new empty register on request.
namespace RegisterFile {

enum class Status { Ok, Missing, Unusable };

struct Check
{
    Status status = Status::Ok;
    QString problem; // Romanian, names what is wrong
};

Check inspect(const QString &fileName);
// Creates an empty register; fails if the file exists.
bool create(const QString &fileName, QString *problem);

} // namespace RegisterFile
