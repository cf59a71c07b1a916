#include "common/scriptedmessages.h"
#include "common/testregister.h"

#include "app/startup.h"
#include "data/registerfile.h"

#include <QtTest>

namespace {

// What is there, in the saver's words; a link counts only with its accomplice.
const char *const Present =
    "SELECT 'person ' || CNP_C FROM TBL_Zavoni "
    "UNION ALL SELECT 'edited ' || CNP_C || ' ' || Profesia FROM TBL_Zavoni "
    "UNION ALL SELECT 'offence ' || COD_infractiune || ' ' || CNP_C FROM TBL_Infractiuni "
    "UNION ALL SELECT 'link ' || l.CNP || ' ' || l.COD_INFRACTIUNE FROM TBL_Complicitate l "
    "JOIN TBL_Complici c ON c.CNP = l.CNP "
    "UNION ALL SELECT 'article ' || Cod_infractiune || ' ' || Publicatie FROM TBL_Articole";

} // namespace

// A save that has returned survives a kill at any moment: after each kill of
// the saver the register is whole, holds all it reported and opens as usual.
class TestCrashSafety : public QObject
{
    Q_OBJECT

private slots:
    void reportedSavesSurviveKills()
    {
        bool given = false;
        quint32 seed = qEnvironmentVariable("ZAVONI_CRASH_SEED").toUInt(&given);
        if (!given)
            seed = QRandomGenerator::global()->generate();
        qInfo("kill moments from ZAVONI_CRASH_SEED=%u", seed);
        QRandomGenerator random(seed);
        // The number of lines read before a kill runs through a whole round (of
        // nine lines) for each of the three kinds of deletion, whatever the load.
        for (int kill = 0; kill < 200 && !QTest::currentTestFailed(); ++kill) {
            runAndKill(kill, 1 + kill / 3 % 9, random.bounded(21));
            checkRegister(QString("after kill %1: ").arg(kill));
        }
        // The kills must have fallen after every kind of save, or they proved little.
        QCOMPARE(m_kinds.size(), 8);
    }

private:
    // Lets the saver report the given number of lines, gives it a few milliseconds
    // more to be in the middle of the next save, and kills it.
    void runAndKill(int run, int lines, int ms)
    {
        QProcess saver;
        saver.start(QStringLiteral(CRASH_SAVER), {QString::number(run)});
        QByteArray output;
        while (output.count('\n') < lines && saver.waitForReadyRead(60000))
            output += saver.readAllStandardOutput();
        QThread::msleep(ms);
        saver.kill(); // SIGKILL
        saver.waitForFinished(60000);
        output += saver.readAllStandardOutput();
        QVERIFY2(saver.exitStatus() == QProcess::CrashExit && output.count('\n') >= lines,
                 output + saver.readAllStandardError());
        // A line without its end was cut by the kill: that save was not reported.
        for (const QByteArray &line : output.left(output.lastIndexOf('\n')).split('\n'))
            take(QString::fromUtf8(line));
    }

    void take(const QString &line)
    {
        const QString what = line.section(' ', 0, 0), rest = line.section(' ', 1);
        const QString code = rest.section(' ', 1, 1);
        if (what == "deleting") {
            // The row may be there or not until the deletion returns.
            m_kept.removeIf([&](const QString &k) {
                return k == rest || (rest.startsWith("offence ")
                                     && (k.startsWith("offence " + code + ' ')
                                         || k.startsWith("article " + code + ' ')
                                         || (k.startsWith("link ") && k.endsWith(' ' + code))));
            });
        } else if (what == "deleted") {
            if (rest.startsWith("offence "))
                m_goneOffences << code;
            else
                m_gone.insert(rest);
            m_kinds.insert(line.section(' ', 0, 1));
        } else if (QStringList({"person", "edited", "offence", "link", "article"}).contains(what)) {
            m_gone.remove(*m_kept.insert(line));
            m_kinds.insert(what);
        } else if (what != "ready") {
            QFAIL(qPrintable("the saver said: " + line));
        }
    }

    void checkRegister(const QString &when);
    QStringList column(const QString &sql)
    {
        QStringList values;
        for (const QSqlRecord &record : m_reg.records(sql))
            values << record.value(0).toString();
        return values;
    }

    TestRegister m_reg;
    // Rows whose save returned, rows whose deletion returned (an offence by
    // its code, with its rows), and the kinds of report seen.
    QSet<QString> m_kept, m_gone, m_kinds;
    QStringList m_goneOffences;
};

void TestCrashSafety::checkRegister(const QString &when)
{
    const RegisterFile::Check check = RegisterFile::inspect(m_reg.path());
    QVERIFY2(check.status == RegisterFile::Status::Ok, qPrintable(when + check.problem));
    QCOMPARE(column("PRAGMA integrity_check"), QStringList{"ok"});
    QCOMPARE(column("PRAGMA foreign_key_check"), QStringList());
    const QStringList list = column(Present);
    const QSet<QString> present(list.begin(), list.end());
    for (const QString &kept : std::as_const(m_kept))
        QVERIFY2(present.contains(kept), qPrintable(when + "lost " + kept));
    QVERIFY2(!present.intersects(m_gone), qPrintable(when + "a deleted row is back"));
    QCOMPARE(column("SELECT COD_infractiune FROM TBL_Infractiuni UNION SELECT COD_INFRACTIUNE "
                    "FROM TBL_Complicitate UNION SELECT Cod_infractiune FROM TBL_Articole "
                    "INTERSECT SELECT value FROM json_each('[" + m_goneOffences.join(',') + "]')"),
             QStringList());
    // The program's own start: no message, and no accomplice left unlinked.
    ScriptedMessages messages;
    QVERIFY2(Startup::prepareRegister(m_reg.path()), qPrintable(when + messages.last().text));
    QCOMPARE(messages.count(), 0);
    QCOMPARE(column("SELECT count(*) FROM TBL_Complici c WHERE NOT EXISTS (SELECT 1 FROM "
                    "TBL_Complicitate l WHERE l.CNP = c.CNP)"), QStringList{"0"});
}

QTEST_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
