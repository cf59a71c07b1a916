#include "common/testregister.h"
#include "common/screensession.h"
#include "common/testserver.h"

#include "app/serverstart.h"
#include "widgets/datacontrol.h"
#include "data/database.h"
#include "data/history.h"
#include "data/recordset.h"
#include "data/sourcetexts.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// Two operators on one register on the server, each through a screen's set of
// its own connection: what one does meanwhile is caught by the other's save.
class TestTwoOperators : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void meanwhile_data();
    void meanwhile();
    void readerMayOnlyRead_data();
    void readerMayOnlyRead();
    void changesRecorded_data();
    void changesRecorded();
    void connectionLostDuringASave();
    void fileOnlyCommandsDisabled();
    void passwordAsked();

private:
    std::unique_ptr<DataControl> persons();

    std::unique_ptr<TestRegister> m_reg;
};

void TestTwoOperators::init()
{
    if (!TestRegister::isServer())
        QSKIP("needs the test cluster (ZAVONI_TEST_CLUSTER)");
    m_reg = std::make_unique<TestRegister>();
    m_reg->addPerson("1000000000001", "POPESCU");
    m_reg->addPerson("1000000000002", "IONESCU");
}

void TestTwoOperators::cleanup()
{
    m_reg.reset();
}

std::unique_ptr<DataControl> TestTwoOperators::persons()
{
    auto data = std::make_unique<DataControl>();
    data->setRecordSource(SourceTexts::Persons);
    data->refresh();
    return data;
}

void TestTwoOperators::meanwhile_data()
{
    // What the first operator does to the first person while the second has it
    // on the screen, then what the second does.
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("number");

    QTest::newRow("changed, then saved") << "change" << "save" << EngineError::ChangedMeanwhile;
    QTest::newRow("changed, then deleted") << "change" << "delete" << EngineError::ChangedMeanwhile;
    QTest::newRow("deleted, then saved") << "delete" << "save" << EngineError::ChangedMeanwhile;
    QTest::newRow("deleted, then deleted") << "delete" << "delete"
                                           << EngineError::ChangedMeanwhile;
    QTest::newRow("both add one CNP") << "add" << "add" << EngineError::DuplicateKey;
}

void TestTwoOperators::meanwhile()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, number);
    auto one = persons();
    auto two = persons();
    Recordset *a = one->recordset();
    Recordset *b = two->recordset();
    const QStringList before = m_reg->row("TBL_Zavoni", 1);
    QVERIFY(a->value("Nume").isValid() && b->value("Nume").isValid()); // both on the screen

    // The second opens its edit first: it holds nothing that makes the first wait.
    QVERIFY(second == "delete" || (second == "add" ? b->addNew() : b->edit()));
    if (second != "delete")
        QVERIFY(b->setValue("CNP_C", "1000000000009") && b->setValue("Nume", "TASTAT"));
    if (first == "add") {
        QVERIFY(a->addNew() && a->setValue("CNP_C", "1000000000009"));
    } else if (first == "change") {
        QVERIFY(a->edit() && a->setValue("Nume", "ALTUL"));
    }
    QVERIFY2(first == "delete" ? a->deleteCurrent() : a->update(),
             qPrintable(a->lastError().describe()));
    const QStringList committed = m_reg->row("TBL_Zavoni", 1);
    QVERIFY(first == "add" || committed != before);

    QVERIFY(second == "delete" ? !b->deleteCurrent() : !b->update());
    QCOMPARE(b->lastError().number, number);
    QCOMPARE(m_reg->row("TBL_Zavoni", 1), committed);
    if (second != "delete")
        QCOMPARE(b->value("Nume"), QVariant("TASTAT"));
}

void TestTwoOperators::readerMayOnlyRead_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("add") << "add";
    QTest::newRow("save") << "save";
    QTest::newRow("delete") << "delete";
}

void TestTwoOperators::readerMayOnlyRead()
{
    QFETCH(QString, operation);
    auto data = std::make_unique<DataControl>();
    data->setDatabaseName(TestServer::readerAddress());
    data->setRecordSource(SourceTexts::Persons);
    QVERIFY(data->refresh());
    Recordset *rs = data->recordset();
    QCOMPARE(rs->recordCount(), 2);
    QVERIFY(operation == "delete" || (operation == "add" ? rs->addNew() : rs->edit()));
    if (operation != "delete")
        QVERIFY(rs->setValue("CNP_C", "1000000000009") && rs->setValue("Nume", "TASTAT"));
    QVERIFY(operation == "delete" ? !rs->deleteCurrent() : !rs->update());
    QCOMPARE(rs->lastError().number, EngineError::ReadOnly);
    QVERIFY2(rs->lastError().text.contains("poate doar citi"),
             qPrintable(rs->lastError().text));
    QCOMPARE(m_reg->count("TBL_Zavoni"), 2);
    if (operation != "delete")
        QCOMPARE(rs->value("Nume"), QVariant("TASTAT"));
}

void TestTwoOperators::changesRecorded_data()
{
    // The operator login's changes, as the person's history lists them, sorted.
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QStringList>("recorded");
    QTest::newRow("save") << "save" << QStringList{"UPDATE TBL_Zavoni"};
    QTest::newRow("delete, cascaded")
        << "delete"
        << QStringList{"DELETE TBL_Articole", "DELETE TBL_Complici", "DELETE TBL_Complicitate",
                       "DELETE TBL_Infractiuni", "DELETE TBL_Zavoni"};
}

void TestTwoOperators::changesRecorded()
{
    QFETCH(QString, operation);
    QFETCH(QStringList, recorded);
    const qint64 offence = m_reg->addOffence("1000000000001", "FURT", "1 an");
    m_reg->addAccomplice("1000000000003", "COMPLICE", "M", offence);
    m_reg->addArticle(offence, "ZIARUL", "TEXT");
    auto data = persons();
    Recordset *rs = data->recordset();
    QVERIFY(operation == "delete" ? rs->deleteCurrent()
                                  : rs->edit() && rs->setValue("Nume", "ALTUL") && rs->update());
    DataError error;
    const auto db = Database::open(TestServer::operatorAddress(), &error);
    QList<History::Change> changes;
    QVERIFY2(db && History::changesOf(db->connection(), "1000000000001", &changes, &error),
             qPrintable(error.describe()));
    QStringList mine;
    for (const History::Change &c : std::as_const(changes)) {
        if (c.user == "zavoni_test_operator")
            mine << c.action + ' ' + c.table;
    }
    QCOMPARE(changes.first().user, QString("zavoni_test_operator")); // newest first
    mine.sort();
    QCOMPARE(mine, recorded);

    // What was recorded stays: the operator's login may not change it.
    const int count = m_reg->count("TBL_Istoric");
    for (const char *sql : {"delete from zavoni.tbl_istoric", "truncate zavoni.tbl_istoric",
                            "update zavoni.tbl_istoric set cnp = null"})
        QVERIFY2(!db->exec(sql), sql);
    QCOMPARE(m_reg->count("TBL_Istoric"), count);
}

// The server ends the operator's session (restarted, or the network gone): the
// save is refused saying so, and what was typed stays, saved by the next try.
void TestTwoOperators::connectionLostDuringASave()
{
    auto data = persons();
    Recordset *rs = data->recordset();
    QVERIFY(rs->edit() && rs->setValue("Nume", "TASTAT"));
    m_reg->exec("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE usename = "
                "'zavoni_test_operator' AND datname = current_database()");
    QVERIFY(!rs->update());
    QCOMPARE(rs->lastError().number, EngineError::ConnectionLost);
    QVERIFY2(rs->lastError().text.contains("Legătura cu serverul"),
             qPrintable(rs->lastError().text));
    QCOMPARE(rs->value("Nume"), QVariant("TASTAT"));
    QCOMPARE(m_reg->count("TBL_Zavoni", "Nume = 'TASTAT'"), 0);
    QVERIFY2(rs->update(), qPrintable(rs->lastError().describe()));
    QCOMPARE(m_reg->count("TBL_Zavoni", "Nume = 'TASTAT'"), 1);
    QVERIFY(data->refresh());
    QCOMPARE(rs->recordCount(), 2);
}

// What reads the file itself would fail on the server, or worse: its commands
// are there, disabled, saying why; the persons are still browsed and saved.
void TestTwoOperators::fileOnlyCommandsDisabled()
{
    ScreenSession s;
    s.reg.addPerson("1000000000001", "POPESCU");
    QVERIFY(s.open(ScreenKind::Persons));
    QCOMPARE(s.counter(), QString("1/1"));
    QStringList disabled;
    for (const QAction *action : s.form()->findChildren<QAction *>()) {
        if (!action->isEnabled() && action->toolTip().contains("server"))
            disabled << (action->objectName().isEmpty() ? action->text() : action->objectName());
    }
    for (const char *command : {"StatisticsAction", "BackupAction", "ExportRegisterAction",
                                "ExportListAction", "DossierAction", "Caută..."})
        QVERIFY2(disabled.contains(command), command);
    QVERIFY(!disabled.contains("HistoryAction"));
    s.run("Command2|Text4=SCHIMBAT|Command3");
    QCOMPARE(s.reg.count("TBL_Zavoni", "Nume = 'SCHIMBAT'"), 1);
}

// Neither PGPASSWORD nor ~/.pgpass: the dialog asks, a wrong password is
// refused in it, the right one serves every later connection.
void TestTwoOperators::passwordAsked()
{
    qunsetenv("PGPASSWORD");
    qputenv("PGPASSFILE", "/nonexistent");
    ScreenSession s;
    s.reg.addPerson("1000000000001", "POPESCU");
    const QString address = TestServer::passwordedAddress();
    Database::setRegisterAddress(address);
    QStringList typed{"gresit", "parola"};
    QString refusal;
    QTimer answer;
    connect(&answer, &QTimer::timeout, this, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || dialog->objectName() != "serverLoginDialog" || typed.isEmpty())
            return;
        if (typed.size() == 1)
            refusal = dialog->findChild<QLabel *>("loginProblemLabel")->text();
        dialog->findChild<QLineEdit *>("passwordEdit")->setText(typed.takeFirst());
        dialog->findChild<QPushButton *>("connectButton")->click();
    });
    answer.start(20);
    const bool prepared = ServerStart::prepare(address);
    QVERIFY(prepared);
    QCOMPARE(refusal, QString("Parola sau utilizatorul nu sunt acceptate de server."));
    QVERIFY(s.open(ScreenKind::Persons));
    QCOMPARE(s.counter(), QString("1/1"));
    Database::setServerLogin({}, {});
}

QTEST_MAIN(TestTwoOperators)
#include "tst_twooperators.moc"
