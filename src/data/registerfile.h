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
// Removes an accomplice that no offence refers to, left by a save cut short
// between the accomplice and its link. Such a row is among the newest, so only
// those are looked at: a start must not scan a register of millions.
bool sweepOrphans(const QString &fileName, QString *problem);

} // namespace RegisterFile
