#include "testregister.h"
#include "testserver.h"

#include "data/catalogue.h"
#include "data/database.h"
#include "data/registerfile.h"

#include <QDir>
#include <QRegularExpression>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QUrl>

TestRegister::TestRegister()
    : m_oldCurrent(QDir::currentPath())
{
    static int counter = 0;
    m_connection = QStringLiteral("test-register-%1").arg(++counter);
    QDir::setCurrent(m_dir.path());
    // Window sizes and column widths remembered by one test never reach another.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    if (isServer()) {
        // The code under test finds its Zavoni.mdb on the server, as an operator.
        TestServer::makeRegister();
        Database::setRegisterAddress(TestServer::operatorAddress());
        const QUrl url(TestServer::adminAddress());
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connection);
        d.setHostName(url.host());
        d.setPort(url.port());
        d.setUserName(url.userName());
        d.setDatabaseName(url.path().mid(1));
        if (!d.open())
            qFatal("cannot reach the test register: %s", qPrintable(d.lastError().text()));
        exec(QStringLiteral("SET search_path TO zavoni, public"));
        return;
    }
    QString problem;
    if (!RegisterFile::create(path(), &problem))
        qFatal("cannot create the test register: %s", qPrintable(problem));
    QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    d.setDatabaseName(path());
    d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    d.open();
    exec(QStringLiteral("PRAGMA foreign_keys = ON"));
}

bool TestRegister::isServer()
{
    return TestServer::active();
}

QString TestRegister::name(const QString &identifier)
{
    return isServer() ? identifier.toLower() : identifier;
}

TestRegister::~TestRegister()
{
    QSqlDatabase::database(m_connection).close();
    QSqlDatabase::removeDatabase(m_connection);
    Database::setRegisterAddress({});
    QDir::setCurrent(m_oldCurrent);
}

QString TestRegister::path() const
{
    return m_dir.filePath(QStringLiteral("Zavoni.mdb"));
}

QSqlQuery TestRegister::run(const QString &text, const QVariantList &params)
{
    // SQLite's printf is the server's format, NULL shown as nothing by both;
    // the server wants a name for a subquery read from.
    static const QRegularExpression unnamed(R"(FROM \((SELECT [^()]*)\)(?! AS))");
    const QString sql = isServer() ? QString(text)
                                         .replace("printf(", "format(")
                                         .replace(unnamed, "FROM (\\1) AS t")
                                   : text;
    QSqlQuery q(QSqlDatabase::database(m_connection));
    // The server prepares only what reads or writes rows.
    bool ok = params.isEmpty() ? q.exec(sql) : q.prepare(sql);
    for (const QVariant &p : params)
        q.addBindValue(p);
    if (!ok || (!params.isEmpty() && !q.exec()))
        qFatal("statement failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    return q;
}

qint64 TestRegister::insert(const QString &table, const QVariantMap &values)
{
    const QStringList marks(values.size(), QStringLiteral("?"));
    const QString sql = QStringLiteral("INSERT INTO \"%1\" (\"%2\") VALUES (%3)")
                            .arg(name(table), name(values.keys().join(QStringLiteral("\",\""))),
                                 marks.join(','));
    if (!isServer())
        return run(sql, values.values()).lastInsertId().toLongLong();
    QSqlQuery q = run(sql + QStringLiteral(" RETURNING rowid"), values.values());
    return q.next() ? q.value(0).toLongLong() : 0;
}

qint64 TestRegister::addPerson(const QString &cnp, const QString &nume, const QString &sex,
                               QVariantMap more)
{
    more.insert({{"CNP_C", cnp}, {"Nume", nume}, {"sex", sex}});
    return insert(QStringLiteral("TBL_Zavoni"), more);
}

qint64 TestRegister::addOffence(const QString &cnp, const QString &type, const QString &penalty,
                                QVariantMap more)
{
    more.insert({{"CNP_C", cnp}, {"Infractiune", type}, {"Pedeapsa", penalty}});
    return insert(QStringLiteral("TBL_Infractiuni"), more);
}

qint64 TestRegister::addAccomplice(const QString &cnp, const QString &nume, const QString &sex,
                                   qint64 offence, QVariantMap more)
{
    more.insert({{"CNP", cnp}, {"Nume", nume}, {"sex", sex}});
    if (count(QStringLiteral("TBL_Complici"), QStringLiteral("CNP = ?"), {cnp}) == 0)
        insert(QStringLiteral("TBL_Complici"), more);
    return insert(QStringLiteral("TBL_Complicitate"), {{"CNP", cnp}, {"COD_INFRACTIUNE", offence}});
}

qint64 TestRegister::addArticle(qint64 offence, const QString &publication, const QString &text,
                                QVariantMap more)
{
    more.insert({{"Cod_infractiune", offence}, {"Publicatie", publication}, {"Articol", text}});
    return insert(QStringLiteral("TBL_Articole"), more);
}

int TestRegister::count(const QString &table, const QString &where, const QVariantList &params)
{
    return value(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(name(table))
                     + (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where),
                 params)
        .toInt();
}

QList<QSqlRecord> TestRegister::records(const QString &sql, const QVariantList &params)
{
    QSqlQuery q = run(sql, params);
    QList<QSqlRecord> all;
    while (q.next())
        all << q.record();
    return all;
}

QVariant TestRegister::value(const QString &sql, const QVariantList &params)
{
    QSqlQuery q = run(sql, params);
    return q.next() ? q.value(0) : QVariant();
}

QStringList TestRegister::row(const QString &table, qint64 rowid)
{
    QStringList fields;
    const QSqlRecord r = records(QString("SELECT * FROM \"%1\" WHERE rowid = ?").arg(name(table)),
                                 {rowid}).value(0);
    for (const Catalogue::Field &field : Catalogue::find(table)->fields) {
        const QVariant v = r.value(field.name);
        fields << field.name + '=' + (v.isNull() ? QStringLiteral("NULL") : v.toString());
    }
    return fields;
}

void TestRegister::exec(const QString &sql, const QVariantList &params)
{
    run(sql, params);
}
