#include "history.h"

#include "catalogue.h"
#include "registerserver.h"

#include <QSqlError>
#include <QSqlQuery>

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace History {

namespace {

using Catalogue::quoted;

// The offences being deleted by the statement running, with their persons:
// the links and articles that go with an offence are deleted after it, when
// it can no longer be read.
const QString GoneOffences = QStringLiteral("Istoric_infractiuni_sterse");

// A recorded table: its key and the CNP of the person a row belongs to, in
// SQL over the row named %1.
struct Recorded
{
    QString table;
    QString key;
    QString person;
};

QString offencePerson(const QString &codeColumn)
{
    return QStringLiteral("coalesce((SELECT \"CNP_C\" FROM %1 WHERE \"COD_infractiune\" = "
                          "%3), (SELECT \"CNP\" FROM %2 WHERE \"Cod\" = %3))")
        .arg(quoted(Catalogue::Offences), quoted(GoneOffences),
             QStringLiteral("%1.") + quoted(codeColumn));
}

const std::vector<Recorded> &recorded()
{
    const QString rowid = QStringLiteral("%1.rowid");
    static const std::vector<Recorded> all{
        {Catalogue::Persons, rowid, QStringLiteral("%1.\"CNP_C\"")},
        {Catalogue::Offences, QStringLiteral("%1.\"COD_infractiune\""),
         QStringLiteral("%1.\"CNP_C\"")},
        {Catalogue::Accomplices, rowid, QStringLiteral("%1.\"CNP\"")},
        {Catalogue::Links, rowid, offencePerson(QStringLiteral("COD_INFRACTIUNE"))},
        {Catalogue::Articles, rowid, offencePerson(QStringLiteral("Cod_infractiune"))},
    };
    return all;
}

QString rowObject(const Catalogue::Object &object, const QString &row)
{
    QStringList pairs;
    for (const Catalogue::Field &field : object.fields)
        pairs << QStringLiteral("'%1', %2.%3").arg(field.name, row, quoted(field.name));
    return QStringLiteral("json_object(%1)").arg(pairs.join(QStringLiteral(", ")));
}

QString literal(QString text)
{
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QLatin1String("''"))
           + QLatin1Char('\'');
}

// SQLite knows no user, and a trigger kept in the file could not ask the
// program for one without breaking every other tool's writes (the sqlite3
// tool would fail on the unknown function). So the triggers are TEMP, made
// anew on each connection of the program with the name written into them,
// and TEMP triggers may write to the file's tables. A write by another tool
// succeeds as before and is simply not recorded: neither are the rows the
// bench generator writes, nor a plain register's conversion.
QStringList triggerStatements(const QString &user)
{
    const QString oldRow = QStringLiteral("OLD"), newRow = QStringLiteral("NEW");
    const QString insert = QStringLiteral(
        "INSERT INTO %1 (\"Momentul\", \"Utilizator\", \"Operatia\", \"Tabela\", \"Cheia\", "
        "\"CNP\", \"Inainte\", \"Dupa\") VALUES (strftime('%Y-%m-%d %H:%M:%f', 'now'), %2, ")
                               .arg(quoted(Catalogue::HistoryTable), literal(user));
    const QString offences = quoted(Catalogue::Offences), gone = quoted(GoneOffences);
    QStringList s{
        QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS %1 (\"Cod\" INTEGER PRIMARY KEY, "
                       "\"CNP\" TEXT)").arg(gone),
        QStringLiteral("CREATE TEMP TRIGGER \"TR_Istoric_sterge_infractiune\" BEFORE DELETE ON "
                       "%1 BEGIN INSERT OR REPLACE INTO %2 VALUES (OLD.\"COD_infractiune\", "
                       "OLD.\"CNP_C\"); END").arg(offences, gone),
        QStringLiteral("CREATE TEMP TRIGGER \"TR_Istoric_stearsa_infractiune\" AFTER DELETE ON "
                       "%1 BEGIN DELETE FROM %2 WHERE \"Cod\" = OLD.\"COD_infractiune\"; END")
            .arg(offences, gone)};
    for (const Recorded &r : recorded()) {
        const Catalogue::Object &object = *Catalogue::find(r.table);
        QStringList changed{QStringLiteral("OLD.rowid IS NOT NEW.rowid")};
        for (const Catalogue::Field &field : object.fields)
            changed << QStringLiteral("OLD.%1 IS NOT NEW.%1").arg(quoted(field.name));
        const auto trigger = [&](const QString &event, const QString &when, const QString &row,
                                 const QString &before, const QString &after) {
            return QStringLiteral("CREATE TEMP TRIGGER %1 AFTER %2 ON %3 %4 BEGIN %5")
                       .arg(quoted(QStringLiteral("TR_Istoric_%1_%2").arg(r.table, event)),
                            event, quoted(r.table), when, insert)
                   + QStringLiteral("'%1', '%2', %3, %4, %5, %6); END")
                         .arg(event, r.table, r.key.arg(row), r.person.arg(row), before, after);
        };
        const QString none = QStringLiteral("NULL");
        s << trigger(QStringLiteral("INSERT"), {}, newRow, none, rowObject(object, newRow))
          << trigger(QStringLiteral("DELETE"), {}, oldRow, rowObject(object, oldRow), none)
          << trigger(QStringLiteral("UPDATE"),
                     QStringLiteral("WHEN ") + changed.join(QStringLiteral(" OR ")), newRow,
                     rowObject(object, oldRow), rowObject(object, newRow));
    }
    return s;
}

bool failed(const QSqlError &sqlError, DataError *error)
{
    if (error)
        *error = DataError::fromSql(sqlError);
    return false;
}

bool hasTable(QSqlDatabase &db, bool *has, DataError *error)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND "
                             "name = ?"));
    q.addBindValue(Catalogue::HistoryTable);
    if (!q.exec())
        return failed(q.lastError(), error);
    *has = q.next();
    return true;
}

} // namespace

QString osUser()
{
    static const QString user = [] {
        struct passwd entry;
        struct passwd *found = nullptr;
        char buffer[4096];
        if (getpwuid_r(geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found)
            return QString::fromLocal8Bit(found->pw_name);
        const QString name = qEnvironmentVariable("USER");
        return name.isEmpty() ? QString::number(geteuid()) : name;
    }();
    return user;
}

bool recordWrites(QSqlDatabase &db, const QString &user, DataError *error)
{
    bool has = false;
    if (!hasTable(db, &has, error))
        return false;
    QSqlQuery q(db);
    for (const QString &statement : has ? triggerStatements(user) : QStringList()) {
        if (!q.exec(statement))
            return failed(q.lastError(), error);
    }
    return true;
}

bool install(QSqlDatabase &db, DataError *error)
{
    bool has = false;
    if (!hasTable(db, &has, error))
        return false;
    if (has)
        return true;
    if (!db.transaction())
        return failed(db.lastError(), error);
    QSqlQuery q(db);
    for (const QString &statement : Catalogue::historyStatements()) {
        if (!q.exec(statement)) {
            const QSqlError sqlError = q.lastError();
            db.rollback();
            return failed(sqlError, error);
        }
    }
    return db.commit() || failed(db.lastError(), error);
}

bool changesOf(QSqlDatabase &db, const QString &cnp, QList<Change> *changes, DataError *error)
{
    // The CNPs the person had, each change of CNP followed back; then the
    // accomplices its offences were linked to, before or after a change.
    const QString sql = db.driverName() == QLatin1String("QPSQL") ? RegisterServer::changesSql()
                                                                  : QStringLiteral(
        "WITH RECURSIVE \"c\"(\"cnp\") AS (SELECT ? UNION SELECT json_extract(h.\"Inainte\", "
        "'$.CNP_C') FROM %1 h JOIN \"c\" ON h.\"CNP\" = \"c\".\"cnp\" WHERE h.\"Tabela\" = '%2' "
        "AND h.\"Operatia\" = 'UPDATE'), "
        "\"l\" AS (SELECT * FROM %1 WHERE \"CNP\" IN (SELECT \"cnp\" FROM \"c\") AND "
        "\"Tabela\" = '%3'), "
        "\"a\"(\"cnp\") AS (SELECT json_extract(\"Inainte\", '$.CNP') FROM \"l\" UNION "
        "SELECT json_extract(\"Dupa\", '$.CNP') FROM \"l\") "
        "SELECT \"Momentul\", \"Utilizator\", \"Operatia\", \"Tabela\", \"Cheia\", \"Inainte\", "
        "\"Dupa\" FROM (SELECT * FROM %1 WHERE \"CNP\" IN (SELECT \"cnp\" FROM \"c\") AND "
        "\"Tabela\" <> '%4' UNION ALL SELECT * FROM %1 WHERE \"CNP\" IN (SELECT \"cnp\" FROM "
        "\"a\") AND \"Tabela\" = '%4') ORDER BY \"Nr\" DESC")
                            .arg(quoted(Catalogue::HistoryTable), Catalogue::Persons,
                                 Catalogue::Links, Catalogue::Accomplices);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(sql);
    q.addBindValue(cnp);
    if (!q.exec())
        return failed(q.lastError(), error);
    changes->clear();
    while (q.next()) {
        QString when = q.value(0).toString();
        when.replace(QLatin1Char(' '), QLatin1Char('T'));
        changes->append({QDateTime::fromString(when + QLatin1Char('Z'), Qt::ISODateWithMs),
                         q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                         q.value(4).toLongLong(), q.value(5).toString(), q.value(6).toString()});
    }
    return !q.lastError().isValid() || failed(q.lastError(), error);
}

} // namespace History
