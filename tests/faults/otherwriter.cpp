// Another program on the register: runs one statement on the file and ends,
// so that a test can change a row under a screen from a process of its own.
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
        db.setDatabaseName(QString::fromLocal8Bit(argv[1]));
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        QSqlQuery q(db);
        ok = db.open() && q.exec(QString::fromUtf8(argv[2])) && q.numRowsAffected() == 1;
        if (!ok)
            std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
    }
    QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);
    return ok ? 0 : 1;
}
