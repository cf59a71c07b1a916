#pragma once

#include <QString>

class QFileDevice;

// Files the program writes hold personal data: only their owner may read them.
namespace OwnerFiles {

// Restricts an open file before a byte of data goes in.
bool restrict(QFileDevice *file);
// Creates an empty file readable by its owner only (or truncates an existing
// one and restricts it), for writers that open the file themselves.
bool prepare(const QString &fileName, QString *problem);
// True when both names lead to the same file, so a copy or an export can never
// be written over the register.
bool sameFile(const QString &a, const QString &b);
// An OS error in Romanian, for the messages that say why a file was not written.
QString describeErrno(int error);

} // namespace OwnerFiles
