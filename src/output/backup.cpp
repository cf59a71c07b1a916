#include "backup.h"

#include "ownerfiles.h"
#include "progress.h"

#include "data/database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QTemporaryFile>
#include <QThread>

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>

namespace Backup {

namespace {

constexpr int PagesPerStep = 1024;

Outcome failed(const QString &target, const QString &why)
{
    return {false, false,
            QStringLiteral("Copia registrului nu a putut fi scrisă în %1: %2.")
                .arg(QDir::toNativeSeparators(target), why)};
}

QString sqliteProblem(int code, sqlite3 *db)
{
    switch (code & 0xff) {
    case SQLITE_FULL:
        return QStringLiteral("discul este plin");
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        return QStringLiteral("fișierul nu poate fi creat");
    default:
        return QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(code));
    }
}

sqlite3 *handleOf(Database &db)
{
    const QVariant handle = db.connection().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

// Pages from source to the open destination. The source holds one read
// transaction over all the steps: in WAL mode that is a fixed snapshot, so
// other connections' saves neither restart the copy nor get half into it.
int copyPages(sqlite3 *source, sqlite3 *dest, Progress *progress)
{
    int rc = sqlite3_exec(source, "BEGIN; SELECT count(*) FROM sqlite_schema;", nullptr,
                          nullptr, nullptr);
    if (rc != SQLITE_OK)
        return rc;
    sqlite3_backup *backup = sqlite3_backup_init(dest, "main", source, "main");
    if (!backup) {
        sqlite3_exec(source, "ROLLBACK", nullptr, nullptr, nullptr);
        return sqlite3_extended_errcode(dest);
    }
    do {
        rc = sqlite3_backup_step(backup, PagesPerStep);
        progress->setTotal(sqlite3_backup_pagecount(backup));
        progress->setDone(sqlite3_backup_pagecount(backup) - sqlite3_backup_remaining(backup));
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            QThread::msleep(20);
    } while ((rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
             && !progress->cancelled());
    sqlite3_backup_finish(backup);
    sqlite3_exec(source, "ROLLBACK", nullptr, nullptr, nullptr);
    if (rc == SQLITE_DONE)
        return SQLITE_OK;
    return rc == SQLITE_OK ? SQLITE_INTERRUPT : rc; // SQLITE_OK here means cancelled
}

} // namespace

QString defaultName(const QDate &day)
{
    return QStringLiteral("Zavoni-%1.mdb").arg(day.toString(Qt::ISODate));
}

Outcome copyTo(const QString &registerFile, const QString &target, Progress *progress)
{
    if (OwnerFiles::replacesRegister(target, registerFile))
        return failed(target, QStringLiteral("o copie nu se scrie peste registru"));
    DataError error;
    auto db = Database::open(registerFile, &error);
    sqlite3 *source = db ? handleOf(*db) : nullptr;
    if (!source)
        return failed(target, error.describe());

    // QTemporaryFile creates the file for its owner only; the copy keeps that.
    QTemporaryFile temp(QFileInfo(target).absolutePath() + QStringLiteral("/.Zavoni-XXXXXX"));
    temp.setAutoRemove(true);
    if (!temp.open())
        return failed(target, OwnerFiles::describeErrno(errno));
    temp.close();

    sqlite3 *dest = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(temp.fileName()).constData(), &dest,
                             SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK) // the copy is thrown away if cut short, so no journal
        rc = sqlite3_exec(dest, "PRAGMA journal_mode = OFF", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = copyPages(source, dest, progress);
    const QString why = rc == SQLITE_OK ? QString() : sqliteProblem(rc, dest);
    if (sqlite3_close(dest) != SQLITE_OK && rc == SQLITE_OK)
        rc = SQLITE_IOERR;
    if (progress->cancelled())
        return {false, true, {}};
    if (rc != SQLITE_OK)
        return failed(target, why.isEmpty() ? sqliteProblem(rc, nullptr) : why);
    if (std::rename(QFile::encodeName(temp.fileName()).constData(),
                    QFile::encodeName(target).constData())
        != 0)
        return failed(target, OwnerFiles::describeErrno(errno));
    return {};
}

QString dailyFolder(const QString &registerFile)
{
    return QFileInfo(registerFile).absoluteDir().filePath(QStringLiteral("Copii zilnice"));
}

bool dailyCopyDue(const QString &registerFile, const QDate &today)
{
    return !QFileInfo::exists(QDir(dailyFolder(registerFile)).filePath(defaultName(today)));
}

Outcome keepDailyCopy(const QString &registerFile, const QDate &today, Progress *progress)
{
    const QString folder = dailyFolder(registerFile);
    QDir dir(folder);
    if (!dir.exists() && !QDir().mkdir(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                   | QFileDevice::ExeOwner))
        return failed(folder, OwnerFiles::describeErrno(errno));
    const Outcome copied = copyTo(registerFile, dir.filePath(defaultName(today)), progress);
    if (!copied.ok)
        return copied;
    // ISO dates in the names sort as the days do.
    const QStringList copies = dir.entryList({QStringLiteral("Zavoni-\?\?\?\?-\?\?-\?\?.mdb")},
                                             QDir::Files, QDir::Name);
    for (qsizetype i = 0; i + DailyKept < copies.size(); ++i)
        dir.remove(copies.at(i));
    return copied;
}

} // namespace Backup
