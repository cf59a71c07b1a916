#include "registerserver.h"

#include "catalogue.h"
#include "database.h"

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

namespace RegisterServer {

namespace {

using Catalogue::FieldType;

// The file's column definitions, which the catalogue owns, in the server's
// words: its names, an identity for SQLite's autoincrement, a trigger for the
// repeated link SQLite ignores by a conflict clause.
QString translated(QString constraint)
{
    constraint = constraint.toLower();
    constraint.replace(QLatin1String("references \""),
                       QStringLiteral("references %1.\"").arg(Schema));
    constraint.remove(QLatin1String(" on conflict ignore"));
    constraint.replace(QLatin1String("primary key autoincrement"),
                       QLatin1String("generated always as identity primary key"));
    return constraint;
}

QString createTable(const Catalogue::Object &object)
{
    QStringList columns;
    if (object.keyColumn == QLatin1String("rowid"))
        columns << QStringLiteral("rowid bigint generated always as identity primary key");
    for (const Catalogue::Field &f : object.fields) {
        QString column = field(f.name)
                         + (f.type == FieldType::Text ? QStringLiteral(" text")
                                                      : QStringLiteral(" bigint"));
        if (!f.constraint.isEmpty())
            column += QLatin1Char(' ') + translated(f.constraint);
        columns << column;
    }
    // An offence's code is its key, as on the file, where it is the rowid.
    if (object.keyColumn != QLatin1String("rowid"))
        columns << QStringLiteral("rowid bigint generated always as (%1) stored unique")
                       .arg(field(object.keyColumn));
    if (!object.tableConstraint.isEmpty())
        columns << translated(object.tableConstraint);
    return QStringLiteral("create table %1 (%2)")
        .arg(table(object.name), columns.join(QStringLiteral(", ")));
}

QString createRole(const QString &role)
{
    return QStringLiteral("do $$ begin if not exists (select 1 from pg_roles where rolname = "
                          "'%1') then create role %1 nologin; end if; end $$")
        .arg(role);
}

// A trigger function and its trigger on the link table.
QStringList linkTrigger(const QString &name, const QString &when, const QString &body)
{
    const QString function = QStringLiteral("%1.\"%2\"").arg(Schema, name);
    return {QStringLiteral("create function %1() returns trigger language plpgsql as $$ begin "
                           "%2 end $$")
                .arg(function, body),
            QStringLiteral("create trigger \"%1\" %2 on %3 for each row execute function %4()")
                .arg(name, when, table(Catalogue::Links), function)};
}

} // namespace

QString table(const QString &catalogueName)
{
    return Schema + QLatin1Char('.') + Catalogue::quoted(catalogueName.toLower());
}

QString field(const QString &catalogueName)
{
    return Catalogue::quoted(catalogueName.toLower());
}

QStringList schemaStatements()
{
    QStringList s{QStringLiteral("create schema %1").arg(Schema), createRole(OperatorRole),
                  createRole(ReaderRole)};
    for (const Catalogue::Object &object : Catalogue::objects()) {
        if (!object.isQuery)
            s << createTable(object);
    }
    for (const QString &statement : Catalogue::schemaStatements()) {
        // The history is the server's own, written by its triggers below.
        if (statement.startsWith(QLatin1String("CREATE INDEX"))
            && !statement.contains(Catalogue::HistoryTable))
            s << statement.toLower().replace(QLatin1String(" on \""),
                                             QStringLiteral(" on %1.\"").arg(Schema));
    }
    const QString links = table(Catalogue::Links);
    // An accomplice no longer linked to any offence does not linger.
    s << linkTrigger(QStringLiteral("tr_complicitate_orfan"), QStringLiteral("after delete"),
                     QStringLiteral("delete from %1 where cnp = old.cnp and not exists (select 1 "
                                    "from %2 where cnp = old.cnp); return null;")
                         .arg(table(Catalogue::Accomplices), links));
    // A second identical link is ignored rather than refused, as on the file.
    s << linkTrigger(QStringLiteral("tr_complicitate_repetata"), QStringLiteral("before insert"),
                     QStringLiteral("if exists (select 1 from %1 where cnp = new.cnp and "
                                    "cod_infractiune = new.cod_infractiune) then return null; "
                                    "end if; return new;")
                         .arg(links));
    const QString view = QStringLiteral("create view %1 as select rowid as rid, * from %2 "
                                        "where sex = '%3'");
    s << view.arg(table(Catalogue::WomenQuery), table(Catalogue::Persons), QStringLiteral("F"))
      << view.arg(table(Catalogue::MenQuery), table(Catalogue::Persons), QStringLiteral("M"));
    const QString roles = OperatorRole + QStringLiteral(", ") + ReaderRole;
    s << QStringLiteral("grant usage on schema %1 to %2").arg(Schema, roles)
      << QStringLiteral("grant select on all tables in schema %1 to %2").arg(Schema, roles)
      << QStringLiteral("grant insert, update, delete on all tables in schema %1 to %2")
             .arg(Schema, OperatorRole);
    return s;
}

RegisterFile::Check inspect(const QString &address)
{
    using RegisterFile::Status;
    DataError error;
    const auto db = Database::open(address, &error);
    if (!db)
        return {Status::Unusable, error.text};
    QSqlQuery q(db->connection());
    q.prepare(QStringLiteral("select table_name, column_name from information_schema.columns "
                             "where table_schema = ?"));
    q.addBindValue(Schema);
    if (!q.exec())
        return {Status::Unusable, DataError::fromServer(q.lastError()).text};
    QSet<QString> tables, columns;
    while (q.next()) {
        tables << q.value(0).toString();
        columns << q.value(0).toString() + QLatin1Char('.') + q.value(1).toString();
    }
    if (tables.isEmpty())
        return {Status::Missing,
                QStringLiteral("Pe server nu există încă registrul (schema %1).").arg(Schema)};
    for (const Catalogue::Object &object : Catalogue::objects()) {
        const QString name = object.name.toLower();
        if (!tables.contains(name))
            return {Status::Unusable, QStringLiteral("În registrul de pe server lipsește %1.")
                                          .arg(object.name)};
        for (const Catalogue::Field &f : object.fields) {
            if (!columns.contains(name + QLatin1Char('.') + f.name.toLower()))
                return {Status::Unusable,
                        QStringLiteral("În tabelul %1 al registrului de pe server lipsește "
                                       "câmpul %2.").arg(object.name, f.name)};
        }
    }
    return {};
}

bool create(const QString &address, QString *problem)
{
    DataError error;
    const auto db = Database::open(address, &error);
    bool ok = db && db->exec(QStringLiteral("begin"), &error);
    for (const QString &statement : schemaStatements()) {
        if (!ok)
            break;
        ok = db->exec(statement, &error);
    }
    ok = ok && db->exec(QStringLiteral("commit"), &error);
    if (!ok) {
        if (db)
            db->exec(QStringLiteral("rollback"));
        if (problem)
            *problem = QStringLiteral("Registrul nu a putut fi creat pe server: %1")
                           .arg(error.text);
    }
    return ok;
}

} // namespace RegisterServer
