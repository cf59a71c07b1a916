#pragma once

#include <QString>

// Fills a fresh register with a synthetic population large enough to show how
// the program behaves after years of use. The same seed always gives the same
// register, so two measurements on two machines look at the same rows.
namespace RegisterGenerator {

struct Counts
{
    qint64 persons = 0;
    qint64 offences = 0;
    qint64 accomplices = 0;
    qint64 links = 0;
    qint64 articles = 0;
};

// Creates fileName (which must not exist) with the program's own schema and
// writes `persons` persons with their offences, accomplices and articles.
bool generate(const QString &fileName, qint64 persons, quint64 seed, Counts *counts,
              QString *problem);

// Whether an existing register can be measured as one of `persons` persons:
// the program takes it, and the row counts it keeps agree with its rows.
// A register made before the counts were kept fails.
bool check(const QString &fileName, qint64 persons, QString *problem);

} // namespace RegisterGenerator
