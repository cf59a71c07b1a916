#include "registerfile.h"

#include "catalogue.h"
#include "dataerror.h"
#include "personsearch.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtEndian>

namespace RegisterFile {

namespace {

QString displayName(const QString &fileName)
{
    return QFileInfo(fileName).fileName();
}

// Reads only; the connection is read-only so that a file that is not ours is
// left exactly as it was.
class ReadOnlyConnection
{
public:
    explicit ReadOnlyConnection(const QString &fileName)
        : m_name(QStringLiteral("zavoni-inspect"))
    {
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        m_db.setDatabaseName(fileName);
        // A save cut short leaves its journal, which only a writer can roll
        // back: that brings the file back to its last confirmed save.
        const bool hotJournal = QFileInfo(fileName + QStringLiteral("-journal")).size() > 0;
        m_db.setConnectOptions(hotJournal ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000")
                                          : QStringLiteral("QSQLITE_OPEN_READONLY;"
                                                           "QSQLITE_BUSY_TIMEOUT=2000"));
        m_ok = m_db.open();
    }
    ~ReadOnlyConnection()
    {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    bool ok() const { return m_ok; }
    QSqlDatabase &db() { return m_db; }

private:
    QString m_name;
    QSqlDatabase m_db;
    bool m_ok = false;
};

QString checkHeader(const QString &fileName, qint64 size)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Fisierul %1 nu poate fi citit.").arg(displayName(fileName));
    const QByteArray header = file.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArray("SQLite format 3\0", 16)))
        return QStringLiteral("Fisierul %1 nu este o bază de date a registrului.")
            .arg(displayName(fileName));
    quint32 pageSize = qFromBigEndian<quint16>(header.constData() + 16);
    if (pageSize == 1)
        pageSize = 65536;
    const quint32 pages = qFromBigEndian<quint32>(header.constData() + 28);
    const quint32 changeCounter = qFromBigEndian<quint32>(header.constData() + 24);
    const quint32 validFor = qFromBigEndian<quint32>(header.constData() + 92);
    if (pages != 0 && changeCounter == validFor && qint64(pages) * pageSize > size)
        return QStringLiteral("Fisierul %1 este trunchiat: lipseste o parte din registru.")
            .arg(displayName(fileName));
    return {};
}

// A good register that cannot be read now is never called damaged: the
// operator is told what stands in the way.
QString openProblem(const QSqlError &error, const QString &fileName)
{
    const QString name = displayName(fileName);
    const int code = error.nativeErrorCode().toInt();
    switch (code & 0xff) {
    case SqliteCode::Busy:
    case SqliteCode::Locked:
        return QStringLiteral("Fisierul %1 este folosit de alt program, care nu permite "
                              "deschiderea lui. Închideti acel program si încercati din nou.")
            .arg(name);
    case SqliteCode::Full:
        return QStringLiteral("Discul pe care se află fisierul %1 este plin. Eliberati spatiu "
                              "pe disc si încercati din nou.").arg(name);
    case SqliteCode::IoError:
        return QStringLiteral("Fisierul %1 nu poate fi citit: discul este plin sau nu poate fi "
                              "scris (%2).").arg(name, error.databaseText());
    case SqliteCode::ReadOnly:
    case SqliteCode::CantOpen:
        return QStringLiteral("Fisierul %1 se află pe un suport doar pentru citire sau într-un "
                              "folder fără drept de scriere, iar registrul nu poate fi citit de "
                              "acolo. Copiati-l într-un folder cu drept de scriere (%2).")
            .arg(name, error.databaseText());
    case SqliteCode::Corrupt:
    case SqliteCode::NotADatabase:
        return QStringLiteral("Fisierul %1 nu este o bază de date a registrului (%2).")
            .arg(name, error.databaseText());
    default:
        return QStringLiteral("Fisierul %1 nu poate fi deschis: %2")
            .arg(name, error.databaseText());
    }
}

QString checkSchema(QSqlDatabase &db, const QString &fileName)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA application_id")) || !q.next())
        return openProblem(q.lastError(), fileName);
    const int appId = q.value(0).toInt();
    if (appId != 0 && appId != Catalogue::ApplicationId)
        return QStringLiteral("Fisierul %1 este baza de date a altui program, nu registrul.")
            .arg(displayName(fileName));
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return QStringLiteral("Fisierul %1 nu poate fi citit.").arg(displayName(fileName));
    if (q.value(0).toInt() > Catalogue::SchemaVersion)
        return QStringLiteral("Registrul %1 a fost creat de o versiune mai nouă a programului.")
            .arg(displayName(fileName));

    QSet<QString> tables, views;
    if (!q.exec(QStringLiteral("SELECT type, lower(name) FROM sqlite_master")))
        return QStringLiteral("Fisierul %1 nu este o bază de date a registrului (%2).")
            .arg(displayName(fileName), q.lastError().databaseText());
    while (q.next())
        (q.value(0).toString() == QLatin1String("view") ? views : tables)
            .insert(q.value(1).toString());

    for (const Catalogue::Object &object : Catalogue::objects()) {
        if (object.isQuery) {
            if (!views.contains(object.name.toLower()))
                return QStringLiteral("În registrul %1 lipseste interogarea %2.")
                    .arg(displayName(fileName), object.name);
            continue;
        }
        if (!tables.contains(object.name.toLower()))
            return QStringLiteral("În registrul %1 lipseste tabelul %2.")
                .arg(displayName(fileName), object.name);
        QSet<QString> columns;
        if (!q.exec(QStringLiteral("PRAGMA table_info(%1)").arg(Catalogue::quoted(object.name))))
            return QStringLiteral("Tabelul %1 nu poate fi citit.").arg(object.name);
        while (q.next())
            columns.insert(q.value(1).toString().toLower());
        for (const Catalogue::Field &field : object.fields) {
            if (!columns.contains(field.name.toLower()))
                return QStringLiteral("În tabelul %1 al registrului lipseste câmpul %2.")
                    .arg(object.name, field.name);
        }
    }
    return {};
}

} // namespace

Check inspect(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists())
        return {Status::Missing,
                QStringLiteral("Fisierul %1 nu a fost găsit în folderul curent.")
                    .arg(displayName(fileName))};
    if (!info.isFile())
        return {Status::Unusable,
                QStringLiteral("%1 nu este un fisier.").arg(displayName(fileName))};
    if (info.size() == 0)
        return {Status::Unusable,
                QStringLiteral("Fisierul %1 este gol: nu contine registrul.")
                    .arg(displayName(fileName))};
    QString problem = checkHeader(fileName, info.size());
    if (problem.isEmpty()) {
        ReadOnlyConnection connection(fileName);
        problem = connection.ok() ? checkSchema(connection.db(), fileName)
                                  : openProblem(connection.db().lastError(), fileName);
        QSqlQuery q(connection.db());
        if (problem.isEmpty() && q.exec(QStringLiteral("SELECT 1 FROM sqlite_master WHERE "
                                                       "name = '%1'").arg(Catalogue::CountsTable))
            && !q.next())
            return {Status::Plain, {}};
    }
    if (!problem.isEmpty())
        return {Status::Unusable, problem};
    return {};
}

bool create(const QString &fileName, QString *problem)
{
    if (QFileInfo::exists(fileName)) {
        if (problem)
            *problem = QStringLiteral("Fisierul %1 există deja.").arg(displayName(fileName));
        return false;
    }
    // The register holds national identification numbers: only its owner may read
    // it. SQLite gives the -wal and -shm files it makes beside it the same mode.
    QFile blank(fileName);
    if (!blank.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                    QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        if (problem)
            *problem = QStringLiteral("Registrul %1 nu a putut fi creat: %2")
                           .arg(displayName(fileName), blank.errorString());
        return false;
    }
    blank.close();
    const QString name = QStringLiteral("zavoni-create");
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(fileName);
        ok = db.open();
        QSqlQuery q(db);
        ok = ok && q.exec(QStringLiteral("PRAGMA journal_mode = DELETE")) && db.transaction();
        for (const QString &statement : Catalogue::schemaStatements()) {
            if (!ok)
                break;
            ok = q.exec(statement);
        }
        ok = ok && db.commit();
        // A new register can be searched and sorted from the start, so no start
        // ever has to add that to it.
        DataError error;
        ok = ok && PersonSearch(db).install({}, &error);
        if (!ok && problem)
            *problem = QStringLiteral("Registrul %1 nu a putut fi creat: %2")
                           .arg(displayName(fileName),
                                q.lastError().isValid() ? q.lastError().databaseText()
                                                        : db.lastError().databaseText());
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!ok)
        QFile::remove(fileName);
    return ok;
}

bool convert(const QString &fileName, const std::function<void(int, int)> &progress,
             QString *problem)
{
    QStringList tables;
    for (const Catalogue::Object &object : Catalogue::objects()) {
        if (!object.isQuery)
            tables << object.name;
    }
    QStringList statements{QStringLiteral("DROP VIEW \"%1\"").arg(Catalogue::WomenQuery),
                           QStringLiteral("DROP VIEW \"%1\"").arg(Catalogue::MenQuery)};
    for (const QString &table : tables)
        statements << QStringLiteral("ALTER TABLE \"%1\" RENAME TO \"%1_vechi\"").arg(table);
    statements << Catalogue::schemaStatements();
    const int prepared = int(statements.size());
    for (const QString &table : tables) {
        const Catalogue::Object &object = *Catalogue::find(table);
        QStringList columns;
        for (const Catalogue::Field &field : object.fields)
            columns << Catalogue::quoted(field.name);
        // The persons' rowids are their places in the list and the screens' keys.
        if (object.keyColumn == QLatin1String("rowid"))
            columns.prepend(QStringLiteral("rowid"));
        const QString list = columns.join(QStringLiteral(", "));
        statements << QStringLiteral("INSERT INTO \"%1\" (%2) SELECT %2 FROM \"%1_vechi\" "
                                     "ORDER BY rowid").arg(table, list)
                   << QStringLiteral("DROP TABLE \"%1_vechi\"").arg(table);
    }
    // A missing rowid below the last reads as a deleted person's.
    statements << QStringLiteral(
        "WITH RECURSIVE k(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM k WHERE n < "
        "(SELECT max(rowid) FROM \"TBL_Zavoni\")) INSERT INTO \"%1\" SELECT n FROM k "
        "WHERE n NOT IN (SELECT rowid FROM \"TBL_Zavoni\")").arg(Catalogue::GapsTable);
    const QString name = QStringLiteral("zavoni-convert");
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(fileName);
        ok = db.open() && db.transaction();
        QSqlQuery q(db);
        for (int i = 0; ok && i < statements.size(); ++i) {
            ok = q.exec(statements.at(i));
            if (ok && i >= prepared && (i - prepared) % 2 == 1)
                progress((i - prepared) / 2 + 1, int(tables.size()));
        }
        if (!ok && problem)
            *problem = QStringLiteral("Registrul %1 nu a putut fi adus la forma programului: %2")
                           .arg(displayName(fileName), q.lastError().databaseText());
        ok = ok ? db.commit() : (db.rollback(), false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace RegisterFile
