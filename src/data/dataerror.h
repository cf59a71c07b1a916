#pragma once

#include <QString>

class QSqlError;

// Engine errors carry the numbers the screens were written against, so that a
// save handler can tell a duplicate CNP (3022) from every other failure.
namespace EngineError {
constexpr int None = 0;
constexpr int Generic = 3000;
constexpr int UpdateWithoutEdit = 3020;
constexpr int NoCurrentRecord = 3021;
constexpr int DuplicateKey = 3022;
constexpr int FileNotFound = 3024;
constexpr int DiskFull = 3026;
constexpr int LoginRefused = 3029;
constexpr int ReadOnly = 3027;
constexpr int DiskIo = 3043;
constexpr int KeyIsNull = 3058;
constexpr int UnknownObject = 3078;
constexpr int Syntax = 3075;
constexpr int RelatedRecordRequired = 3201;
constexpr int Locked = 3260;
constexpr int UnknownField = 3265;
constexpr int ChangedMeanwhile = 3197;
constexpr int ConnectionLost = 3151;
constexpr int FieldIsNull = 3314;
constexpr int NotARegister = 3343;
constexpr int TypeMismatch = 3464;
} // namespace EngineError

// The SQLite result codes the engine numbers are told apart by; Qt's driver
// gives the extended code, whose low byte is the primary one.
namespace SqliteCode {
constexpr int Busy = 5;
constexpr int Locked = 6;
constexpr int ReadOnly = 8;
constexpr int IoError = 10;
constexpr int Corrupt = 11;
constexpr int Full = 13;
constexpr int CantOpen = 14;
constexpr int Constraint = 19;
constexpr int Mismatch = 20;
constexpr int NotADatabase = 26;
constexpr int ForeignKey = 787;
constexpr int NotNull = 1299;
constexpr int PrimaryKey = 1555;
constexpr int Unique = 2067;
} // namespace SqliteCode

struct DataError
{
    int number = EngineError::None;
    QString text; // Romanian, for the operator

    bool isError() const { return number != EngineError::None; }
    QString describe() const;

    static DataError make(int number, const QString &detail = {});
    // Maps an error of Qt's SQLite driver (extended result codes) to an engine number.
    static DataError fromSql(const QSqlError &error);
    // Maps an error of Qt's PostgreSQL driver (its SQLSTATE) to an engine number.
    static DataError fromServer(const QSqlError &error);
};
