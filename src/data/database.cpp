#include "database.h"

#include "history.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QtEndian>

#include <sys/stat.h>

namespace {
QAtomicInt connectionCounter;
int busyTimeout = 5000;
QString serverAddress;

// The file the program's connections share. A file put in its place (a backup
// restored by rename or copied over it) must never be written through a
// connection that still holds pages or locks of the old one, so every
// connection measures the file against what the program first opened.
struct Identity
{
    QString path;
    quint64 device = 0;
    quint64 inode = 0;
    quint32 changeCounter = 0; // SQLite raises it on every committed write
    bool replaced = false;
};
Identity registerIdentity;
int openConnections = 0;
// Closing any descriptor of the file drops every lock SQLite holds on it in
// this process, so its header is read through one kept open while connections are.
QFile headerFile;

bool measure(const QString &path, Identity *found)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    found->device = info.st_dev;
    found->inode = info.st_ino;
    if (!headerFile.isOpen()) {
        headerFile.setFileName(path);
        if (!headerFile.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return false;
    }
    if (!headerFile.seek(24))
        return false;
    const QByteArray counter = headerFile.read(4);
    if (counter.size() != 4)
        return false;
    found->changeCounter = qFromBigEndian<quint32>(counter.constData());
    return true;
}

// A copy put back holds an older register: its change counter is behind the
// one the program last saw. Other programs' saves only move it forward.
bool sameFile(const QString &path)
{
    Identity now;
    if (registerIdentity.replaced || !measure(path, &now)
        || now.device != registerIdentity.device || now.inode != registerIdentity.inode
        || now.changeCounter < registerIdentity.changeCounter) {
        registerIdentity.replaced = true;
        return false;
    }
    registerIdentity.changeCounter = now.changeCounter;
    return true;
}

QString replacedText(const QString &fileName)
{
    return QStringLiteral("Fisierul %1 a fost înlocuit sau rescris de alt program cât timp "
                          "registrul era deschis; programul nu îl mai foloseste. Închideti "
                          "ecranele si deschideti-le din nou, sau reporniti programul.")
        .arg(QFileInfo(fileName).fileName());
}
} // namespace

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
    if (!m_server && --openConnections == 0)
        headerFile.close();
}

std::unique_ptr<Database> Database::open(const QString &fileName, DataError *error)
{
    if (isServerAddress(fileName))
        return openServer(fileName, error);
    if (onServer(fileName))
        return openServer(serverAddress, error);
    if (!QFileInfo(fileName).isFile()) {
        if (error)
            *error = DataError::make(EngineError::FileNotFound, fileName);
        return nullptr;
    }
    // With no connection left the operator has reopened the screens: the
    // file now there is the register.
    const QString path = QFileInfo(fileName).absoluteFilePath();
    if (openConnections == 0 || registerIdentity.path != path) {
        headerFile.close();
        registerIdentity = {path};
        if (!measure(path, &registerIdentity))
            registerIdentity.path.clear();
    } else if (!sameFile(path)) {
        if (error)
            *error = DataError::make(EngineError::FileNotFound, replacedText(fileName));
        return nullptr;
    }
    const QString name = QStringLiteral("zavoni-%1").arg(connectionCounter.fetchAndAddRelaxed(1));
    std::unique_ptr<Database> db(new Database(name));
    ++openConnections;
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
    // A rollback journal, not a WAL: a committed save is in the register file
    // itself, so a copy of that one file is a whole register, and no log beside
    // it can ever be paired with a file put in its place. FULL makes a committed
    // save durable across a power cut, not only a crash.
    const char *pragmas[] = {"PRAGMA foreign_keys = ON", "PRAGMA synchronous = FULL",
                             "PRAGMA cache_size = -8192", "PRAGMA busy_timeout = 0"};
    for (const char *pragma : pragmas) {
        if (!db->exec(QString::fromLatin1(pragma), error))
            return nullptr;
    }
    // A register another program holds open in WAL mode stays in it meanwhile:
    // leaving WAL needs the file to oneself, and a screen must not wait for that.
    db->exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
    if (!db->exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(busyTimeout), error))
        return nullptr;
    return db;
}

bool Database::recordWrites(DataError *error)
{
    if (!m_recording)
        m_recording = m_server || History::recordWrites(m_db, History::osUser(), error);
    return m_recording;
}

void Database::setRegisterAddress(const QString &address)
{
    serverAddress = address;
}

QString Database::registerAddress()
{
    return serverAddress;
}

bool Database::onServer(const QString &name)
{
    return isServerAddress(name)
           || (!serverAddress.isEmpty()
               && QFileInfo(name).fileName() == QLatin1String("Zavoni.mdb"));
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
    const DataError failed = failure(query.lastError());
    if (error)
        *error = failed;
    return false;
}

bool Database::beginWrite(DataError *error)
{
    // IMMEDIATE: a writer elsewhere is waited for here, before anything is
    // written. The server lets writers of different rows go on together.
    // The history's triggers are made before, not inside: a rollback would take
    // them away unnoticed.
    return recordWrites(error)
           && exec(m_server ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"), error);
}

bool Database::stillInPlace(DataError *error) const
{
    if (m_server || sameFile(QFileInfo(m_db.databaseName()).absoluteFilePath()))
        return true;
    if (error)
        *error = DataError::make(EngineError::FileNotFound, replacedText(fileName()));
    return false;
}
