#include "testserver.h"

#include "data/registerserver.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

namespace TestServer {

namespace {

QString clusterAddress(const char *key)
{
    QFile file(qEnvironmentVariable("ZAVONI_TEST_CLUSTER"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read the test cluster's file %s", qPrintable(file.fileName()));
    const QByteArray prefix = QByteArray(key) + '=';
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.startsWith(prefix))
            return QString::fromUtf8(line.mid(prefix.size()));
    }
    qFatal("the test cluster's file names no %s", key);
}

// Each test process has a database of its own, so tests run side by side.
QString inOwnDatabase(const char *key)
{
    QUrl url(clusterAddress(key));
    url.setPath(QStringLiteral("/zavoni_test_%1").arg(QCoreApplication::applicationPid()));
    return url.toString();
}

void run(const QString &address, const QStringList &statements)
{
    const QString name = QStringLiteral("test-server-admin");
    {
        const QUrl url(address);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(url.host());
        db.setPort(url.port());
        db.setUserName(url.userName());
        db.setDatabaseName(url.path().mid(1));
        if (!db.open())
            qFatal("cannot reach the test cluster: %s", qPrintable(db.lastError().text()));
        QSqlQuery q(db);
        for (const QString &sql : statements) {
            if (!q.exec(sql))
                qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        }
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

bool active()
{
    return !qEnvironmentVariableIsEmpty("ZAVONI_TEST_CLUSTER");
}

QString adminAddress()
{
    return inOwnDatabase("ZAVONI_TEST_ADMIN");
}

QString operatorAddress()
{
    return inOwnDatabase("ZAVONI_TEST_OPERATOR");
}

QString readerAddress()
{
    return inOwnDatabase("ZAVONI_TEST_READER");
}

QString passwordedAddress()
{
    return inOwnDatabase("ZAVONI_TEST_PASSWORDED");
}

void makeRegister()
{
    static bool made = false;
    if (!made) {
        const QString database = QUrl(adminAddress()).path().mid(1);
        run(clusterAddress("ZAVONI_TEST_ADMIN"),
            {QStringLiteral("drop database if exists %1").arg(database),
             QStringLiteral("create database %1").arg(database)});
        // The few SQLite functions the tests' own statements use.
        run(adminAddress(),
            {"create function public.concat_step(a text, v text, s text) returns text "
             "language sql immutable as $$ select case when v is null then a when a is null "
             "then v else a || s || v end $$",
             "create function public.concat_step(a text, v text) returns text language sql "
             "immutable as $$ select public.concat_step(a, v, ',') $$",
             "create aggregate public.group_concat(text, text) "
             "(sfunc = public.concat_step, stype = text)",
             "create aggregate public.group_concat(text) "
             "(sfunc = public.concat_step, stype = text)",
             "create function public.concat_step(a text, v bigint) returns text language sql "
             "immutable as $$ select public.concat_step(a, v::text, ',') $$",
             "create aggregate public.group_concat(bigint) "
             "(sfunc = public.concat_step, stype = text)",
             // What a screen script's "!INSERT" has the register refuse.
             "create function public.refuse() returns trigger language plpgsql as "
             "$$ begin raise exception 'refuzat'; end $$",
             "create function public.quote(anyelement) returns text language sql immutable "
             "as $$ select quote_nullable($1) $$",
             "create function public.ifnull(text, text) returns text language sql immutable "
             "as $$ select coalesce($1, $2) $$",
             "create function public.ifnull(bigint, text) returns text language sql immutable "
             "as $$ select coalesce($1::text, $2) $$"});
        made = true;
    }
    run(adminAddress(), {QStringLiteral("drop schema if exists %1 cascade")
                             .arg(RegisterServer::Schema)});
    QString problem;
    if (!RegisterServer::create(adminAddress(), &problem))
        qFatal("cannot create the test register: %s", qPrintable(problem));
}

} // namespace TestServer
