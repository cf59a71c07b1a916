#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// What the program knows of the register's tables and stored queries. Record
// sources are resolved against this, never against text typed by anyone, so
// every name that reaches SQLite comes from here.
namespace Catalogue {

enum class FieldType { Text, Integer, Boolean, AutoNumber };

struct Field
{
    QString name;
    FieldType type;
    QString constraint = {}; // what the column's definition adds to its type
};

struct Object
{
    QString name;
    std::vector<Field> fields;
    bool isQuery = false;
    QString baseTable;  // the table a stored query's rows live in
    QString keyColumn;  // the column that identifies a row when reading the object
    QString tableConstraint = {};
};

const std::vector<Object> &objects();
const Object *find(const QString &name); // any case
const Field *findField(const Object &object, const QString &name); // any case

inline const QString Persons = QStringLiteral("TBL_Zavoni");
inline const QString Offences = QStringLiteral("TBL_Infractiuni");
inline const QString Accomplices = QStringLiteral("TBL_Complici");
inline const QString Links = QStringLiteral("TBL_Complicitate");
inline const QString Articles = QStringLiteral("TBL_Articole");
inline const QString WomenQuery = QStringLiteral("Q_Zavonii_de_sex_feminin");
inline const QString MenQuery = QStringLiteral("Q_Zavonii_de_sex_masculin");

// Row counts of the sources selected whole, kept by triggers.
inline const QString CountsTable = QStringLiteral("TBL_Numarare");
// The rowids of the persons deleted, kept by triggers: with them the rowid of
// the k-th person of the list is computed, not counted, wherever k lies.
inline const QString GapsTable = QStringLiteral("TBL_Goluri");
// The row of the counts table that is not 0 once another tool's write may have
// put the counts and the gaps wrong (a REPLACE, a changed rowid): they are then
// set again from the rows before they are believed.
inline const QString CountsDoubtful = QStringLiteral("Verificare");
// Statements that set the kept counts from the rows, after a bulk load.
QStringList recountStatements();
// Statements that set the kept counts and the gaps from the rows and clear the
// doubt, in one transaction.
QStringList repairStatements();

// Every change the program made to the rows above: when (UTC), by whom, what
// was done to which row, the person it belongs to, the row before and after.
// Not among objects(): a register made before it gains it at its first start.
inline const QString HistoryTable = QStringLiteral("TBL_Istoric");
QStringList historyStatements();

// Identifies a file made by this program; a newer schema version is refused.
constexpr int ApplicationId = 0x5A41564F; // "ZAVO"
constexpr int SchemaVersion = 1;

// Statements that build an empty register.
QStringList schemaStatements();

QString quoted(const QString &identifier);

} // namespace Catalogue
