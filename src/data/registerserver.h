#pragma once

#include "registerfile.h"

#include <QString>
#include <QStringList>

// The register on a PostgreSQL server: the tables and stored queries of the
// file, in a schema of their own, every name in lower case so that a statement
// typed without quotes finds them. Each table has a column rowid that rises in
// the order rows were stored, as the file's rowid does, and is never reused.
namespace RegisterServer {

inline const QString Schema = QStringLiteral("zavoni");
// The roles an office gives its logins: one reads and writes, one only reads.
inline const QString OperatorRole = QStringLiteral("zavoni_operator");
inline const QString ReaderRole = QStringLiteral("zavoni_cititor");

// A catalogue name as the server knows it: zavoni."tbl_zavoni".
QString table(const QString &catalogueName);
// A field's name there: "cnp_c".
QString field(const QString &catalogueName);

// Statements that build an empty register in the schema, with its grants.
QStringList schemaStatements();

// What History::changesOf reads on the server, the CNP bound: the same
// columns as on the file, the time as text in UTC.
QString changesSql();

// Missing when the server holds no register yet; Unusable, with the reason in
// Romanian, when it cannot be reached or holds another layout.
RegisterFile::Check inspect(const QString &address);
// Builds the register in one transaction; fails if the schema is there already.
bool create(const QString &address, QString *problem);

} // namespace RegisterServer
