#pragma once

#include <QString>

#include <functional>

// Moves a register kept in a file onto a PostgreSQL server.
namespace RegisterCopy {

// Copies the register in fileName, opened read-only, into the empty register on
// the server at address, in one transaction: every row keeps its key, and the
// server's next offence code comes after every code the file ever gave. The
// row counts of both sides are compared before the commit. Told, in Romanian,
// how far it got; on failure nothing is left on the server and problem says why.
bool copy(const QString &fileName, const QString &address,
          const std::function<void(const QString &)> &progress, QString *problem);

} // namespace RegisterCopy
