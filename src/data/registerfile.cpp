#include "registerfile.h"

#include "catalogue.h"
#include "database.h"

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
        m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
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

QString checkSchema(QSqlDatabase &db, const QString &fileName)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA application_id")) || !q.next())
        return QStringLiteral("Fisierul %1 nu este o bază de date a registrului (%2).")
            .arg(displayName(fileName), q.lastError().databaseText());
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
        if (!connection.ok())
            problem = QStringLiteral("Fisierul %1 nu poate fi deschis: %2")
                          .arg(displayName(fileName), connection.db().lastError().databaseText());
        else
            problem = checkSchema(connection.db(), fileName);
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
        ok = ok && q.exec(QStringLiteral("PRAGMA journal_mode = WAL")) && db.transaction();
        for (const QString &statement : Catalogue::schemaStatements()) {
            if (!ok)
                break;
            ok = q.exec(statement);
        }
        ok = ok && db.commit();
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

bool sweepOrphans(const QString &fileName, QString *problem)
{
    DataError error;
    auto db = Database::open(fileName, &error);
    if (db
        && db->exec(QStringLiteral("DELETE FROM \"TBL_Complici\" WHERE rowid > (SELECT max(rowid) "
                                   "FROM \"TBL_Complici\") - 16 AND NOT EXISTS (SELECT 1 FROM "
                                   "\"TBL_Complicitate\" l WHERE l.\"CNP\" = "
                                   "\"TBL_Complici\".\"CNP\")"),
                    &error))
        return true;
    if (problem)
        *problem = error.describe();
    return false;
}

} // namespace RegisterFile
