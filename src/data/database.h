#pragma once

#include "dataerror.h"

#include <QSqlDatabase>
#include <QString>

#include <memory>

// One connection to the register file. Every record source and the accomplices
// screen's link table hold their own; SQLite lets several read and one write.
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

    QString m_connectionName;
    QSqlDatabase m_db;
    bool m_recording = false;
};
