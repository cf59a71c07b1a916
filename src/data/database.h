#pragma once

#include "dataerror.h"

#include <QSqlDatabase>
#include <QString>

#include <memory>

// One connection to the register: the file, or a PostgreSQL server when the
// name is an address postgresql://user@host:port/dbname. Every record source and
// the accomplices screen's link table hold their own; SQLite lets several read
// and one write, the server any number of each.
class Database
{
public:
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Opens an existing register read-write. The file is looked up as given,
    // so a bare name resolves against the current folder.
    static std::unique_ptr<Database> open(const QString &fileName, DataError *error);
    static bool isServerAddress(const QString &name);
    // From then on the program's register, Zavoni.mdb wherever it is looked
    // for, is the one on the server at this address; empty: the file again.
    static void setRegisterAddress(const QString &address);
    static QString registerAddress();
    // The login the operator gave when the server asked for a password: every
    // later connection to a server uses it. Kept in memory only, never written.
    static void setServerLogin(const QString &user, const QString &password);
    // Whether open() of this name reaches a server.
    static bool onServer(const QString &name);
    // How long a connection opened after this waits for another's write to end.
    static void setBusyTimeout(int milliseconds);

    QSqlDatabase &connection() { return m_db; }
    QString fileName() const { return m_db.databaseName(); }
    bool isServer() const { return m_server; }
    // Runs one statement that takes no parameters and returns no rows.
    bool exec(const QString &sql, DataError *error = nullptr);
    // Opens a transaction that will write.
    bool beginWrite(DataError *error);
    // The engine's error for a failed statement. A server's session found
    // ended is opened again, so that the operator's next try can succeed;
    // the statement itself is never sent again, as it may have been done.
    DataError failure(const QSqlError &error);
    // Rises each time the connection is opened again: statements prepared
    // before are gone.
    int generation() const { return m_generation; }
    // False once the file under the name is no longer the register the
    // program opened: another file moved there, or an older copy written over it.
    // From then on no connection to it opens until every one has closed.
    bool stillInPlace(DataError *error = nullptr) const;
    // Makes the connection record its writes in the register's history. Done
    // before its first write, not at opening: most connections only read, and
    // the recording triggers cost each one a few milliseconds to make.
    bool recordWrites(DataError *error);

private:
    explicit Database(const QString &connectionName);
    static std::unique_ptr<Database> openServer(const QString &address, DataError *error);

    QString m_connectionName;
    QSqlDatabase m_db;
    bool m_recording = false;
    bool m_server = false;
    int m_generation = 0;
};
