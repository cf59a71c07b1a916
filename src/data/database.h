#pragma once

#include "dataerror.h"

#include <QSqlDatabase>
#include <QString>

#include <memory>

// One connection to the register file. Every record source and the accomplices
// screen's link table hold their own, as several readers and one writer at a
// time can share an SQLite file in WAL mode.
class Database
{
public:
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Opens an existing register read-write. The file is looked up as given,
    // so a bare name resolves against the current folder.
    static std::unique_ptr<Database> open(const QString &fileName, DataError *error);
    // How long a connection opened after this waits for another's write to end.
    static void setBusyTimeout(int milliseconds);

    QSqlDatabase &connection() { return m_db; }
    QString fileName() const { return m_db.databaseName(); }
    // Runs one statement that takes no parameters and returns no rows.
    bool exec(const QString &sql, DataError *error = nullptr);
    // False once the file under the name is no longer the one opened.
    bool stillInPlace() const;

private:
    explicit Database(const QString &connectionName);

    QString m_connectionName;
    QSqlDatabase m_db;
    quint64 m_device = 0;
    quint64 m_inode = 0;
};
