#pragma once

#include <QString>
#include <QStringList>

// The register on a PostgreSQL server instead of Zavoni.mdb: named by
// --server ADDRESS or, without it, by the environment variable ZAVONI_SERVER.
namespace ServerStart {

// The address asked for, empty for the file. Removes --server and its address,
// and --create, from the arguments; create is set when --create was among them.
QString address(QStringList *arguments, bool *create);
// zavoni --server ADDRESS --create, with no window: builds the register and
// tells how it went, in Romanian, on the terminal. The program's exit status.
int createFromTerminal(const QString &address);
// Before any screen opens: the register is there, or the operator is offered
// to build it, as for a missing file. False when the program should end.
bool prepare(const QString &address);

} // namespace ServerStart
