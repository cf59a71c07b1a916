#pragma once

#include "data/personsearch.h"

#include <QByteArray>
#include <QString>

class Progress;

// Lists and the whole register as CSV files a spreadsheet opens as they are:
// RFC 4180 quoting, UTF-8 with a byte-order mark, a heading row of field names.
// A file appears under its name only once complete; cancelled or failed, the
// export leaves nothing behind. Each export opens its own connection, so it
// may run on a worker thread while the screens keep theirs.
namespace CsvExport {

struct Outcome
{
    enum Kind { Done, Cancelled, Failed } kind = Done;
    qint64 rows = 0;
    QString problem; // Romanian, when Failed
};

// One field, quoted only when it holds a comma, a quote or a line break.
QByteArray field(const QString &text);

// Every field of every row a record source selects (a table, a stored query or
// a screen's SELECT), in the order the screen lists them: its own, or the
// column order the operator chose.
Outcome writeSource(const QString &registerFile, const QString &recordSource,
                    const PersonSearch::Order &order, const QString &target,
                    Progress *progress);
// The five tables into folder, one file each named after its table.
Outcome writeRegister(const QString &registerFile, const QString &folder, Progress *progress);

} // namespace CsvExport
