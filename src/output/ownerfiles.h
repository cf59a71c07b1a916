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
// True when writing target would replace the register or one of the files
// SQLite keeps beside it (its write-ahead log, its shared memory, its journal),
// whatever path leads there.
bool replacesRegister(const QString &target, const QString &registerFile);
// An OS error in Romanian, for the messages that say why a file was not written.
QString describeErrno(int error);

} // namespace OwnerFiles
