#include "database.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <sys/stat.h>

namespace {
QAtomicInt connectionCounter;
int busyTimeout = 5000;
}

Database::Database(const QString &connectionName)
    : m_connectionName(connectionName)
{
}

Database::~Database()
{
    if (m_db.isValid())
        m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

std::unique_ptr<Database> Database::open(const QString &fileName, DataError *error)
{
    if (!QFileInfo(fileName).isFile()) {
        if (error)
            *error = DataError::make(EngineError::FileNotFound, fileName);
        return nullptr;
    }
    const QString name = QStringLiteral("zavoni-%1").arg(connectionCounter.fetchAndAddRelaxed(1));
    std::unique_ptr<Database> db(new Database(name));
    db->m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db->m_db.setDatabaseName(fileName);
    // A writer in another connection holds the lock only for one short
    // transaction; waiting is better than failing the operator's save.
    db->m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeout));
    if (!db->m_db.open()) {
        if (error)
            *error = DataError::fromSql(db->m_db.lastError());
        return nullptr;
    }
    struct stat info;
    if (::stat(QFile::encodeName(fileName).constData(), &info) == 0) {
        db->m_device = info.st_dev;
        db->m_inode = info.st_ino;
    }
    // FULL makes a committed save durable across a power cut, not only a crash.
    const char *pragmas[] = {"PRAGMA foreign_keys = ON", "PRAGMA journal_mode = WAL",
                             "PRAGMA synchronous = FULL", "PRAGMA cache_size = -8192"};
    for (const char *pragma : pragmas) {
        if (!db->exec(QString::fromLatin1(pragma), error))
            return nullptr;
    }
    return db;
}

void Database::setBusyTimeout(int milliseconds)
{
    busyTimeout = milliseconds;
}

bool Database::exec(const QString &sql, DataError *error)
{
    QSqlQuery query(m_db);
    if (query.exec(sql))
        return true;
    if (error)
        *error = DataError::fromSql(query.lastError());
    return false;
}

bool Database::stillInPlace() const
{
    struct stat info;
    return ::stat(QFile::encodeName(m_db.databaseName()).constData(), &info) == 0
           && quint64(info.st_dev) == m_device && quint64(info.st_ino) == m_inode;
}
