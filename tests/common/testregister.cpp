#include "testregister.h"

#include "data/catalogue.h"
#include "data/registerfile.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTest>

TestRegister::TestRegister()
    : m_oldCurrent(QDir::currentPath())
{
    static int counter = 0;
    m_connection = QStringLiteral("test-register-%1").arg(++counter);
    QDir::setCurrent(m_dir.path());
    QString problem;
    if (!RegisterFile::create(path(), &problem))
        qFatal("cannot create the test register: %s", qPrintable(problem));
    QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    d.setDatabaseName(path());
    d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    d.open();
    QSqlQuery(d).exec(QStringLiteral("PRAGMA foreign_keys = ON"));
}

TestRegister::~TestRegister()
{
    {
        QSqlDatabase d = db();
        d.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    QDir::setCurrent(m_oldCurrent);
}

QSqlDatabase TestRegister::db()
{
    return QSqlDatabase::database(m_connection);
}

QString TestRegister::path() const
{
    return m_dir.filePath(QStringLiteral("Zavoni.mdb"));
}

qint64 TestRegister::insert(const QString &table, const QVariantMap &values)
{
    QStringList cols, marks;
    for (auto it = values.begin(); it != values.end(); ++it) {
        cols << QLatin1Char('"') + it.key() + QLatin1Char('"');
        marks << QStringLiteral("?");
    }
    QSqlQuery q(db());
    q.prepare(QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                  .arg(table, cols.join(','), marks.join(',')));
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        qFatal("insert into %s failed: %s", qPrintable(table), qPrintable(q.lastError().text()));
    return q.lastInsertId().toLongLong();
}

qint64 TestRegister::addPerson(const QString &cnp, const QString &nume, const QString &sex,
                               const QVariantMap &more)
{
    QVariantMap v = more;
    v.insert(QStringLiteral("CNP_C"), cnp);
    v.insert(QStringLiteral("Nume"), nume);
    v.insert(QStringLiteral("sex"), sex);
    return insert(QStringLiteral("TBL_Zavoni"), v);
}

qint64 TestRegister::addOffence(const QString &cnp, const QString &type, const QString &penalty,
                                const QVariantMap &more)
{
    QVariantMap v = more;
    v.insert(QStringLiteral("CNP_C"), cnp);
    v.insert(QStringLiteral("Infractiune"), type);
    v.insert(QStringLiteral("Pedeapsa"), penalty);
    return insert(QStringLiteral("TBL_Infractiuni"), v);
}

qint64 TestRegister::addAccomplice(const QString &cnp, const QString &nume, const QString &sex,
                                   qint64 offence, const QVariantMap &more)
{
    if (count(QStringLiteral("TBL_Complici"), QStringLiteral("CNP = ?"), {cnp}) == 0) {
        QVariantMap v = more;
        v.insert(QStringLiteral("CNP"), cnp);
        v.insert(QStringLiteral("Nume"), nume);
        v.insert(QStringLiteral("sex"), sex);
        insert(QStringLiteral("TBL_Complici"), v);
    }
    return insert(QStringLiteral("TBL_Complicitate"),
                  {{QStringLiteral("CNP"), cnp}, {QStringLiteral("COD_INFRACTIUNE"), offence}});
}

qint64 TestRegister::addArticle(qint64 offence, const QString &publication, const QString &text,
                                const QVariantMap &more)
{
    QVariantMap v = more;
    v.insert(QStringLiteral("Cod_infractiune"), offence);
    v.insert(QStringLiteral("Publicatie"), publication);
    v.insert(QStringLiteral("Articol"), text);
    return insert(QStringLiteral("TBL_Articole"), v);
}

int TestRegister::count(const QString &table, const QString &where, const QVariantList &params)
{
    QString sql = QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table);
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    return value(sql, params).toInt();
}

QList<QSqlRecord> TestRegister::records(const QString &sql, const QVariantList &params)
{
    QSqlQuery q(db());
    q.prepare(sql);
    for (const QVariant &p : params)
        q.addBindValue(p);
    if (!q.exec())
        qFatal("query failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    QList<QSqlRecord> all;
    while (q.next())
        all << q.record();
    return all;
}

QVariant TestRegister::value(const QString &sql, const QVariantList &params)
{
    const QList<QSqlRecord> all = records(sql, params);
    return all.isEmpty() ? QVariant() : all.first().value(0);
}

QStringList TestRegister::row(const QString &table, qint64 rowid)
{
    QStringList fields;
    const QSqlRecord r = records(QString("SELECT * FROM \"%1\" WHERE rowid = ?").arg(table),
                                 {rowid}).value(0);
    for (const Catalogue::Field &field : Catalogue::find(table)->fields) {
        const QVariant v = r.value(field.name);
        fields << field.name + '=' + (v.isNull() ? QStringLiteral("NULL") : v.toString());
    }
    return fields;
}

void TestRegister::exec(const QString &sql, const QVariantList &params)
{
    QSqlQuery q(db());
    q.prepare(sql);
    for (const QVariant &p : params)
        q.addBindValue(p);
    if (!q.exec())
        qFatal("statement failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
}
