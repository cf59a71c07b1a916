#pragma once

#include "dataerror.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

// The record of every change the program makes to the register's rows, kept
// in Catalogue::HistoryTable by SQLite itself, so that deletions cascading
// from a person or an offence are recorded as well as the ones asked for.
namespace History {

struct Change
{
    QDateTime when; // UTC
    QString user;
    QString action; // INSERT, UPDATE or DELETE
    QString table;
    qint64 key = 0;
    QString before; // the row as a JSON object; empty for an insert
    QString after;  // likewise for a deletion
};

// The operating-system account this process runs as.
QString osUser();

// Has the connection record its own writes under the user's name, from now
// until it closes; nothing when the register has no history table.
bool recordWrites(QSqlDatabase &db, const QString &user, DataError *error);

// Adds the history table to a register made before it.
bool install(QSqlDatabase &db, DataError *error);

// The changes of the person known by the CNP and of its offences, their
// accomplices and articles, newest first. A CNP the person had before is
// followed: its changes are the person's too.
bool changesOf(QSqlDatabase &db, const QString &cnp, QList<Change> *changes, DataError *error);

} // namespace History
