#include "database.h"

#include <QAtomicInt>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>

namespace {
QAtomicInt serverCounter;
QString loginUser;
QString loginPassword;

// Nothing the program does waits longer than this on a server that does not
// answer: connecting, a statement sent to one gone away, a row another
// operator's write holds for a moment.
constexpr int TimeoutSeconds = 5;

QString lockTimeout()
{
    return QStringLiteral("SET lock_timeout = %1").arg(TimeoutSeconds * 1000);
}
} // namespace

DataError Database::failure(const QSqlError &error)
{
    if (!m_server)
        return DataError::fromSql(error);
    const DataError failed = DataError::fromServer(error);
    if (failed.number == EngineError::ConnectionLost) {
        m_db.close();
        ++m_generation;
        if (m_db.open())
            QSqlQuery(m_db).exec(lockTimeout());
    }
    return failed;
}

void Database::setServerLogin(const QString &user, const QString &password)
{
    loginUser = user;
    loginPassword = password;
}

bool Database::isServerAddress(const QString &name)
{
    return name.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
           || name.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

std::unique_ptr<Database> Database::openServer(const QString &address, DataError *error)
{
    const QUrl url(address);
    const QString name =
        QStringLiteral("zavoni-server-%1").arg(serverCounter.fetchAndAddRelaxed(1));
    std::unique_ptr<Database> db(new Database(name));
    db->m_server = true;
    db->m_db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    if (!db->m_db.isValid()) {
        if (error)
            *error = DataError::make(EngineError::ConnectionLost,
                                     QStringLiteral("Driverul PostgreSQL al Qt "
                                                    "(libqt6sql6-psql) nu este instalat."));
        return nullptr;
    }
    db->m_db.setHostName(url.host());
    if (url.port() > 0)
        db->m_db.setPort(url.port());
    db->m_db.setDatabaseName(url.path().mid(1));
    db->m_db.setUserName(loginUser.isEmpty() ? url.userName() : loginUser);
    // With no password in the address, nor one the operator typed, libpq takes
    // it from PGPASSWORD or ~/.pgpass.
    if (!url.password().isEmpty())
        db->m_db.setPassword(url.password());
    else if (!loginPassword.isEmpty())
        db->m_db.setPassword(loginPassword);
    QStringList options{QStringLiteral("connect_timeout=%1").arg(TimeoutSeconds),
                        QStringLiteral("tcp_user_timeout=%1").arg(TimeoutSeconds * 1000),
                        QStringLiteral("keepalives_idle=%1").arg(TimeoutSeconds),
                        QStringLiteral("keepalives_interval=1"),
                        QStringLiteral("keepalives_count=%1").arg(TimeoutSeconds),
                        QStringLiteral("application_name=zavoni")};
    const auto items = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
    for (const auto &[key, value] : items)
        options << key + QLatin1Char('=') + value;
    db->m_db.setConnectOptions(options.join(QLatin1Char(';')));
    if (!db->m_db.open()) {
        if (error)
            *error = DataError::fromServer(db->m_db.lastError());
        return nullptr;
    }
    if (!db->exec(lockTimeout(), error))
        return nullptr;
    return db;
}
