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

// A row of a recorded table as the file records it: a JSON object keyed by the
// catalogue's names, so that one window reads both registers.
QString rowObject(const Catalogue::Object &object, const QString &row)
{
    QStringList pairs;
    for (const Catalogue::Field &f : object.fields)
        pairs << QStringLiteral("'%1', %2.%3").arg(f.name, row, field(f.name));
    return QStringLiteral("jsonb_build_object(%1)").arg(pairs.join(QStringLiteral(", ")));
}

// The function recording one table's changes, with its triggers. It runs as
// the login that made the register, which alone may write the history;
// session_user is still the operator's. A deletion is recorded before it is
// made: an offence's links and articles are deleted after it, and find their
// person in its deletion, recorded by then.
QStringList historyTriggers(const Catalogue::Object &object, const QString &person)
{
    const QString function = QStringLiteral("%1.\"istoric_%2\"")
                                 .arg(Schema, object.name.toLower());
    QStringList s{QStringLiteral(
        "create function %1() returns trigger language plpgsql security definer "
        "set search_path = pg_catalog, pg_temp as $$ declare r record; before_row jsonb; "
        "after_row jsonb; begin if tg_op <> 'INSERT' then r := old; before_row := %2; end if; "
        "if tg_op <> 'DELETE' then r := new; after_row := %3; end if; "
        "insert into %4 (\"operatia\", \"tabela\", \"cheia\", \"cnp\", \"inainte\", \"dupa\") "
        "values (tg_op, '%5', r.rowid, %6, before_row, after_row); return r; end $$")
                      .arg(function, rowObject(object, QStringLiteral("old")),
                           rowObject(object, QStringLiteral("new")),
                           table(Catalogue::HistoryTable), object.name, person)};
    const QString trigger = QStringLiteral("create trigger \"tr_istoric_%1\" %2 on %3 for each "
                                           "row %4 execute function %5()");
    s << trigger.arg(QStringLiteral("insert"), QStringLiteral("after insert"),
                     table(object.name), QString(), function)
      << trigger.arg(QStringLiteral("update"), QStringLiteral("after update"),
                     table(object.name), QStringLiteral("when (old.* is distinct from new.*)"),
                     function)
      << trigger.arg(QStringLiteral("delete"), QStringLiteral("before delete"),
                     table(object.name), QString(), function);
    return s;
}

// The history as the file keeps it, in the server's names. Made after the
// grants on all the tables: no role may write it, both may read it.
QStringList historyStatements()
{
    const QString history = table(Catalogue::HistoryTable);
    QStringList s{
        QStringLiteral("create table %1 (\"nr\" bigint generated always as identity primary "
                       "key, \"momentul\" timestamptz not null default now(), \"utilizator\" "
                       "text not null default session_user, \"operatia\" text not null check "
                       "(\"operatia\" in ('INSERT', 'UPDATE', 'DELETE')), \"tabela\" text not "
                       "null, \"cheia\" bigint not null, \"cnp\" text, \"inainte\" jsonb, "
                       "\"dupa\" jsonb)").arg(history),
        QStringLiteral("create index \"ix_istoric_cnp\" on %1 (\"cnp\")").arg(history),
        // Where the links and articles of an offence being deleted find its person.
        QStringLiteral("create index \"ix_istoric_infractiuni_sterse\" on %1 (\"cheia\") "
                       "where \"tabela\" = '%2' and \"operatia\" = 'DELETE'")
            .arg(history, Catalogue::Offences)};
    const QString row = QStringLiteral("r.%1");
    const QString offencePerson = QStringLiteral(
        "coalesce((select \"cnp_c\" from %1 where \"cod_infractiune\" = r.\"cod_infractiune\"), "
        "(select \"cnp\" from %2 where \"tabela\" = '%3' and \"operatia\" = 'DELETE' and "
        "\"cheia\" = r.\"cod_infractiune\" order by \"nr\" desc limit 1))")
                                      .arg(table(Catalogue::Offences), history,
                                           Catalogue::Offences);
    const std::pair<QString, QString> recorded[] = {
        {Catalogue::Persons, row.arg(field(QStringLiteral("CNP_C")))},
        {Catalogue::Offences, row.arg(field(QStringLiteral("CNP_C")))},
        {Catalogue::Accomplices, row.arg(field(QStringLiteral("CNP")))},
        {Catalogue::Links, offencePerson},
        {Catalogue::Articles, offencePerson}};
    for (const auto &[name, person] : recorded)
        s << historyTriggers(*Catalogue::find(name), person);
    const QString roles = OperatorRole + QStringLiteral(", ") + ReaderRole;
    s << QStringLiteral("revoke all on %1 from public, %2").arg(history, roles)
      << QStringLiteral("grant select on %1 to %2").arg(history, roles);
    return s;
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
        // The history is the server's own, made after the grants.
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
    s << historyStatements();
    return s;
}

QString changesSql()
{
    // As the file's: the CNPs the person had, then its offences' accomplices.
    return QStringLiteral(
        "with recursive \"c\"(\"cnp\") as (select ?::text union select h.\"inainte\" ->> "
        "'CNP_C' from %1 h join \"c\" on h.\"cnp\" = \"c\".\"cnp\" where h.\"tabela\" = '%2' "
        "and h.\"operatia\" = 'UPDATE'), "
        "\"l\" as (select * from %1 where \"cnp\" in (select \"cnp\" from \"c\") and "
        "\"tabela\" = '%3'), "
        "\"a\"(\"cnp\") as (select \"inainte\" ->> 'CNP' from \"l\" union "
        "select \"dupa\" ->> 'CNP' from \"l\") "
        "select to_char(\"momentul\" at time zone 'UTC', 'YYYY-MM-DD HH24:MI:SS.MS'), "
        "\"utilizator\", \"operatia\", \"tabela\", \"cheia\", \"inainte\"::text, "
        "\"dupa\"::text from (select * from %1 where \"cnp\" in (select \"cnp\" from \"c\") "
        "and \"tabela\" <> '%4' union all select * from %1 where \"cnp\" in (select \"cnp\" "
        "from \"a\") and \"tabela\" = '%4') \"h\" order by \"nr\" desc")
        .arg(table(Catalogue::HistoryTable), Catalogue::Persons, Catalogue::Links,
             Catalogue::Accomplices);
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
