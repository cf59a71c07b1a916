#pragma once

#include <QString>
#include <QStringList>

// The register on a PostgreSQL server instead of Zavoni.mdb: named by
// --server ADDRESS or, without it, by the environment variable ZAVONI_SERVER.
namespace ServerStart {

// The address asked for, empty for the file. Removes --server and its address,
// and --create, from the arguments; create is set when --create was among them.
QString address(QStringList *arguments, bool *create);
// With no window, telling how it went in Romanian on the terminal; the
// program's exit status. zavoni --server ADDRESS --create builds the register;
// zavoni --copy-to-server ADDRESS copies the current folder's Zavoni.mdb into
// the empty register there, building it first if it is missing.
int fromTerminal(QStringList arguments);
// Before any screen opens: the register is there, or the operator is offered
// to build it, as for a missing file. False when the program should end.
bool prepare(const QString &address);

} // namespace ServerStart
