#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantList>

struct sqlite3;

// The floor of a measurement: the same data work done straight through
// SQLite's C interface, with nothing between the benchmark and the engine.
// A connection is opened as the program's database layer opens its own, so
// both wait for the disk alike and keep as many pages cached.
class EngineFloor
{
public:
    // The settings of the program's connections, which the benchmark checks
    // against a connection the program opened.
    static const char *const Pragmas[];

    explicit EngineFloor(const QString &fileName);
    ~EngineFloor();
    EngineFloor(const EngineFloor &) = delete;
    EngineFloor &operator=(const EngineFloor &) = delete;

    // The first column of the first row, or -1 when there is none.
    qint64 integer(const char *sql, const QVariantList &params = {});
    QString text(const char *sql, const QVariantList &params = {});
    // Steps through every row, taking each column as text as a grid would;
    // returns how many rows there were.
    int rows(const char *sql, const QVariantList &params = {});
    // A statement that returns no rows, in its own transaction unless one is open.
    void exec(const char *sql, const QVariantList &params = {});
    qint64 lastInsertId() const;
    // The setting as the engine reports it (PRAGMA name).
    QString setting(const char *name);

private:
    struct Statement;
    sqlite3 *m_db = nullptr;
};
