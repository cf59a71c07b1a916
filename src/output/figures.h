#pragma once

#include "data/dataerror.h"

#include <QList>
#include <QString>

class Database;

// The register's figures, counted by SQLite at the moment they are asked for,
// so they agree with whatever another copy of the program saved meanwhile.
namespace Figures {

struct Count
{
    QString label;
    qint64 count = 0;
};

struct Register
{
    QList<Count> offencesByType;
    QList<Count> penaltiesByKind;
    QList<Count> served;
    QList<Count> personsByCounty;
};

bool read(Database &db, Register *figures, DataError *error);
// "Amendă", "Detenție" or "Altă sancțiune" for a penalty code.
QString penaltyName(const QString &code);

} // namespace Figures
