#pragma once

#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>

class QSqlQuery;

// A fresh register in a temporary folder that becomes the current folder, as
// the program looks for Zavoni.mdb there. Rows are put in and read back
// through a connection of the test's own, never through the code under test.
// Run with ZAVONI_TEST_CLUSTER (see testserver.h), the register is on the
// test cluster instead, where the program's Zavoni.mdb leads while it lives;
// the test's statements then find the tables without quotes or a schema, and
// the few SQLite functions they use are given to the server (testserver.cpp).
class TestRegister
{
public:
    TestRegister();
    ~TestRegister();

    QString path() const;
    static bool isServer();
    // A table's or field's name as the register spells it.
    static QString name(const QString &identifier);
    QString folder() const { return m_dir.path(); }

    // Inserts a row; returns its rowid (the offence code for offences).
    qint64 insert(const QString &table, const QVariantMap &values);
    qint64 addPerson(const QString &cnp, const QString &nume, const QString &sex = "M",
                     QVariantMap more = {});
    qint64 addOffence(const QString &cnp, const QString &type, const QString &penalty,
                      QVariantMap more = {});
    qint64 addAccomplice(const QString &cnp, const QString &nume, const QString &sex,
                         qint64 offence, QVariantMap more = {});
    qint64 addArticle(qint64 offence, const QString &publication, const QString &text,
                      QVariantMap more = {});

    int count(const QString &table, const QString &where = {}, const QVariantList &params = {});
    QVariant value(const QString &sql, const QVariantList &params = {});
    QList<QSqlRecord> records(const QString &sql, const QVariantList &params = {});
    // Every field of the row as "name=value", NULL told apart from empty.
    QStringList row(const QString &table, qint64 rowid);
    void exec(const QString &sql, const QVariantList &params = {});

private:
    QSqlQuery run(const QString &sql, const QVariantList &params);

    QTemporaryDir m_dir;
    QString m_oldCurrent;
    QString m_connection;
};
