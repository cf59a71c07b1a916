#include "catalogue.h"

namespace Catalogue {

namespace {

using T = FieldType;

std::vector<Field> personFields(bool accomplice)
{
    std::vector<Field> f;
    f.push_back({accomplice ? QStringLiteral("CNP") : QStringLiteral("CNP_C"), T::Text,
                 QStringLiteral("NOT NULL UNIQUE")});
    for (const char *name : {"Serie_buletin", "Numar_buletin", "Nume", "Initiala", "Prenume",
                             "Porecla1", "Porecla2", "Data_nasterii"})
        f.push_back({QString::fromLatin1(name), T::Text});
    if (!accomplice) {
        f.push_back({QStringLiteral("Functia"), T::Text});
        f.push_back({QStringLiteral("Profesia"), T::Text});
    }
    f.push_back({QStringLiteral("sex"), T::Text});
    f.push_back({QStringLiteral("Judet"), T::Text});
    f.push_back({QStringLiteral("Localitate"), T::Text});
    f.push_back({QStringLiteral("sector"), T::Integer});
    for (const char *name : {"Strada", "Numar", "Bloc", "Scara", "Apartament"})
        f.push_back({QString::fromLatin1(name), T::Text});
    return f;
}

// A reference to an offence: its links and articles go with it.
Field offenceReference(const QString &name, bool required)
{
    const QString reference = QStringLiteral(
        "REFERENCES \"TBL_Infractiuni\"(\"COD_infractiune\") ON DELETE CASCADE");
    return {name, T::Integer, required ? QStringLiteral("NOT NULL ") + reference : reference};
}

std::vector<Object> build()
{
    const QString rowid = QStringLiteral("rowid");
    std::vector<Object> all;
    all.push_back({Persons, personFields(false), false, {}, rowid});
    // A person's CNP may be corrected; the offences follow it, and go with the person.
    all.push_back({Offences,
                   {{QStringLiteral("COD_infractiune"), T::AutoNumber,
                     QStringLiteral("PRIMARY KEY AUTOINCREMENT")},
                    {QStringLiteral("CNP_C"), T::Text,
                     QStringLiteral("REFERENCES \"TBL_Zavoni\"(\"CNP_C\") "
                                    "ON UPDATE CASCADE ON DELETE CASCADE")},
                    {QStringLiteral("Infractiune"), T::Text},
                    {QStringLiteral("Pedeapsa"), T::Text},
                    {QStringLiteral("Amenda"), T::Text},
                    {QStringLiteral("Detenta1"), T::Text},
                    {QStringLiteral("Detenta2"), T::Text},
                    {QStringLiteral("Sanctiune"), T::Text},
                    {QStringLiteral("Descriere"), T::Text},
                    {QStringLiteral("Suspendare"), T::Boolean},
                    {QStringLiteral("Ispasit"), T::Boolean}},
                   false,
                   {},
                   QStringLiteral("COD_infractiune")});
    all.push_back({Accomplices, personFields(true), false, {}, rowid});
    // An accomplice is linked to an offence once; a second identical link is
    // ignored rather than refused, so reusing an accomplice never fails.
    all.push_back({Links,
                   {{QStringLiteral("CNP"), T::Text,
                     QStringLiteral("NOT NULL REFERENCES \"TBL_Complici\"(\"CNP\") "
                                    "ON UPDATE CASCADE ON DELETE CASCADE")},
                    offenceReference(QStringLiteral("COD_INFRACTIUNE"), true)},
                   false,
                   {},
                   rowid,
                   QStringLiteral("UNIQUE (\"COD_INFRACTIUNE\", \"CNP\") ON CONFLICT IGNORE")});
    all.push_back({Articles,
                   {offenceReference(QStringLiteral("Cod_infractiune"), false),
                    {QStringLiteral("Publicatie"), T::Text},
                    {QStringLiteral("Autor"), T::Text},
                    {QStringLiteral("Data_aparitiei"), T::Text},
                    {QStringLiteral("Articol"), T::Text}},
                   false,
                   {},
                   rowid});
    all.push_back({WomenQuery, personFields(false), true, Persons, QStringLiteral("RID")});
    all.push_back({MenQuery, personFields(false), true, Persons, QStringLiteral("RID")});
    return all;
}

QString createTable(const Object &object)
{
    QStringList cols;
    for (const Field &f : object.fields) {
        QString col = quoted(f.name)
                      + (f.type == T::Text ? QStringLiteral(" TEXT") : QStringLiteral(" INTEGER"));
        if (!f.constraint.isEmpty())
            col += QLatin1Char(' ') + f.constraint;
        cols << col;
    }
    if (!object.tableConstraint.isEmpty())
        cols << object.tableConstraint;
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(quoted(object.name), cols.join(QStringLiteral(", ")));
}

} // namespace

const std::vector<Object> &objects()
{
    static const std::vector<Object> all = build();
    return all;
}

const Object *find(const QString &name)
{
    for (const Object &o : objects()) {
        if (o.name.compare(name, Qt::CaseInsensitive) == 0)
            return &o;
    }
    return nullptr;
}

const Field *findField(const Object &object, const QString &name)
{
    for (const Field &f : object.fields) {
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return &f;
    }
    return nullptr;
}

QString quoted(const QString &identifier)
{
    QString q = identifier;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QStringList schemaStatements()
{
    QStringList s;
    for (const Object &object : objects()) {
        if (!object.isQuery)
            s << createTable(object);
    }
    s << QStringLiteral("CREATE INDEX \"IX_Zavoni_sex\" ON \"TBL_Zavoni\"(\"sex\")");
    s << QStringLiteral("CREATE INDEX \"IX_Infractiuni_CNP\" ON \"TBL_Infractiuni\"(\"CNP_C\")");
    s << QStringLiteral("CREATE INDEX \"IX_Complicitate_CNP\" ON \"TBL_Complicitate\"(\"CNP\")");
    s << QStringLiteral(
        "CREATE INDEX \"IX_Articole_cod\" ON \"TBL_Articole\"(\"Cod_infractiune\")");
    s << QStringLiteral("CREATE INDEX \"IX_Complici_sex\" ON \"TBL_Complici\"(\"sex\")");
    // An accomplice no longer linked to any offence does not linger.
    s << QStringLiteral(
        "CREATE TRIGGER \"TR_Complicitate_orfan\" AFTER DELETE ON \"TBL_Complicitate\" "
        "BEGIN DELETE FROM \"TBL_Complici\" WHERE \"CNP\" = OLD.\"CNP\" AND NOT EXISTS "
        "(SELECT 1 FROM \"TBL_Complicitate\" WHERE \"CNP\" = OLD.\"CNP\"); END");
    s << QStringLiteral(
        "CREATE VIEW \"Q_Zavonii_de_sex_feminin\" AS SELECT rowid AS \"RID\", * "
        "FROM \"TBL_Zavoni\" WHERE \"sex\" = 'F'");
    s << QStringLiteral(
        "CREATE VIEW \"Q_Zavonii_de_sex_masculin\" AS SELECT rowid AS \"RID\", * "
        "FROM \"TBL_Zavoni\" WHERE \"sex\" = 'M'");
    // The persons list and its two stored queries are selected whole; their
    // row counts are kept here so that opening them does not count a million rows.
    s << QStringLiteral("CREATE TABLE \"%1\" (\"Sursa\" TEXT PRIMARY KEY, "
                        "\"Numar\" INTEGER NOT NULL) WITHOUT ROWID").arg(CountsTable);
    s << QStringLiteral("INSERT INTO \"%1\" VALUES ('TBL_Zavoni', 0), "
                        "('Q_Zavonii_de_sex_feminin', 0), ('Q_Zavonii_de_sex_masculin', 0), "
                        "('%2', 0)")
             .arg(CountsTable, CountsDoubtful);
    // SQLite lets a REPLACE delete the row it replaces without running a delete
    // trigger, and an UPDATE move a row to another rowid, past its gap. Either
    // write marks the counts as doubtful before it runs; a plain INSERT or
    // UPDATE that then fails on the key takes its mark back with it.
    const QString doubt = QStringLiteral("BEGIN UPDATE \"%1\" SET \"Numar\" = 1 WHERE \"Sursa\" = "
                                         "'%2'; END").arg(CountsTable, CountsDoubtful);
    const QString holder = QStringLiteral("EXISTS (SELECT 1 FROM \"TBL_Zavoni\" WHERE %1)");
    s << QStringLiteral("CREATE TRIGGER \"TR_Zavoni_inlocuit\" BEFORE INSERT ON \"TBL_Zavoni\" "
                        "WHEN %1 OR %2 %3")
             .arg(holder.arg(QStringLiteral("\"CNP_C\" = NEW.\"CNP_C\"")),
                  holder.arg(QStringLiteral("rowid = NEW.rowid")), doubt);
    s << QStringLiteral("CREATE TRIGGER \"TR_Zavoni_mutat\" BEFORE UPDATE ON \"TBL_Zavoni\" "
                        "WHEN NEW.rowid IS NOT OLD.rowid OR (NEW.\"CNP_C\" IS NOT OLD.\"CNP_C\" "
                        "AND %1) %2")
             .arg(holder.arg(QStringLiteral("\"CNP_C\" = NEW.\"CNP_C\"")), doubt);
    // One keyed update per count: an OR across the counts would make SQLite
    // build temporary tables on every saved person.
    const QString total = QStringLiteral(
        "UPDATE \"%1\" SET \"Numar\" = \"Numar\" %2 1 WHERE \"Sursa\" = 'TBL_Zavoni';");
    const QString bySex = QStringLiteral(
        "UPDATE \"%1\" SET \"Numar\" = \"Numar\" %2 1 WHERE \"Sursa\" = CASE %3.\"sex\" "
        "WHEN 'F' THEN 'Q_Zavonii_de_sex_feminin' WHEN 'M' THEN 'Q_Zavonii_de_sex_masculin' "
        "END;");
    const QString plus = QStringLiteral("+"), minus = QStringLiteral("-");
    const QString neu = QStringLiteral("NEW"), old = QStringLiteral("OLD");
    s << QStringLiteral("CREATE TRIGGER \"TR_Zavoni_adaugat\" AFTER INSERT ON \"TBL_Zavoni\" "
                        "BEGIN %1 %2 END")
             .arg(total.arg(CountsTable, plus), bySex.arg(CountsTable, plus, neu));
    s << QStringLiteral("CREATE TRIGGER \"TR_Zavoni_sters\" AFTER DELETE ON \"TBL_Zavoni\" "
                        "BEGIN %1 %2 END")
             .arg(total.arg(CountsTable, minus), bySex.arg(CountsTable, minus, old));
    s << QStringLiteral("CREATE TRIGGER \"TR_Zavoni_sex\" AFTER UPDATE OF \"sex\" ON "
                        "\"TBL_Zavoni\" BEGIN %1 %2 END")
             .arg(bySex.arg(CountsTable, minus, old), bySex.arg(CountsTable, plus, neu));
    s << QStringLiteral("CREATE TABLE \"%1\" (\"Cheie\" INTEGER PRIMARY KEY)").arg(GapsTable);
    s << QStringLiteral("CREATE TRIGGER \"TR_Zavoni_gol\" AFTER DELETE ON \"TBL_Zavoni\" "
                        "BEGIN INSERT OR IGNORE INTO \"%1\" VALUES (OLD.rowid); END")
             .arg(GapsTable);
    // SQLite gives a new row the largest rowid plus one, which may be a gap left
    // by deleting the last person.
    s << QStringLiteral("CREATE TRIGGER \"TR_Zavoni_umplut\" AFTER INSERT ON \"TBL_Zavoni\" "
                        "BEGIN DELETE FROM \"%1\" WHERE \"Cheie\" = NEW.rowid; END")
             .arg(GapsTable);
    s << historyStatements();
    s << QStringLiteral("PRAGMA application_id = %1").arg(ApplicationId);
    s << QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion);
    return s;
}

QStringList historyStatements()
{
    // Nr orders the changes as they were made, which a clock set back would
    // not. CNP is the person's for the rows of persons, offences, links and
    // articles, and an accomplice's own: an accomplice is shared between
    // offences, stored before its first link and deleted after its last, so a
    // person's history reaches it through the links recorded.
    QStringList s{QStringLiteral(
        "CREATE TABLE IF NOT EXISTS \"%1\" (\"Nr\" INTEGER PRIMARY KEY, "
        "\"Momentul\" TEXT NOT NULL, \"Utilizator\" TEXT NOT NULL, \"Operatia\" TEXT NOT NULL "
        "CHECK (\"Operatia\" IN ('INSERT', 'UPDATE', 'DELETE')), \"Tabela\" TEXT NOT NULL, "
        "\"Cheia\" INTEGER NOT NULL, \"CNP\" TEXT, \"Inainte\" TEXT, \"Dupa\" TEXT)")
                      .arg(HistoryTable),
                  QStringLiteral("CREATE INDEX IF NOT EXISTS \"IX_Istoric_CNP\" ON \"%1\"(\"CNP\")")
                      .arg(HistoryTable)};
    // What was recorded stays as it was, whoever writes to the file.
    for (const char *event : {"UPDATE", "DELETE"})
        s << QStringLiteral("CREATE TRIGGER IF NOT EXISTS \"TR_Istoric_%1\" BEFORE %1 ON \"%2\" "
                            "BEGIN SELECT RAISE(ABORT, 'Istoricul nu poate fi schimbat'); END")
                 .arg(QString::fromLatin1(event), HistoryTable);
    return s;
}

QStringList recountStatements()
{
    const QString sql = QStringLiteral(
        "UPDATE \"%1\" SET \"Numar\" = (SELECT count(*) FROM \"TBL_Zavoni\" WHERE %2) "
        "WHERE \"Sursa\" = '%3'");
    return {sql.arg(CountsTable, QStringLiteral("1"), Persons),
            sql.arg(CountsTable, QStringLiteral("\"sex\" = 'F'"), WomenQuery),
            sql.arg(CountsTable, QStringLiteral("\"sex\" = 'M'"), MenQuery)};
}

QStringList repairStatements()
{
    QStringList s = recountStatements();
    s << QStringLiteral("DELETE FROM \"%1\"").arg(GapsTable);
    // Every rowid missing between two persons, unless there are too many for
    // computed keys to be worth it: the middle of the list is counted then.
    s << QStringLiteral(
             "INSERT INTO \"%1\" WITH RECURSIVE \"g\"(\"k\", \"urm\") AS (SELECT \"k\" + 1, "
             "\"urm\" FROM (SELECT rowid AS \"k\", lead(rowid) OVER (ORDER BY rowid) AS \"urm\" "
             "FROM \"TBL_Zavoni\") WHERE \"urm\" > \"k\" + 1 AND (SELECT max(rowid) - min(rowid) "
             "+ 1 - count(*) FROM \"TBL_Zavoni\") <= 65536 UNION ALL SELECT \"k\" + 1, \"urm\" "
             "FROM \"g\" WHERE \"k\" + 1 < \"urm\") SELECT \"k\" FROM \"g\"")
             .arg(GapsTable);
    s << QStringLiteral("UPDATE \"%1\" SET \"Numar\" = 0 WHERE \"Sursa\" = '%2'")
             .arg(CountsTable, CountsDoubtful);
    return s;
}

} // namespace Catalogue
