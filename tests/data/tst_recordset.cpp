#include "common/testregister.h"

#include "widgets/datacontrol.h"
#include "widgets/dbgrid.h"
#include "data/database.h"
#include "data/recordset.h"
#include "data/sourcetexts.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

// The record set behind every screen, over a real register file.
class TestRecordset : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void connectionIsDurable();
    void duplicatesAndOtherFailures_data();
    void duplicatesAndOtherFailures();
    void setIsFixedUntilRequery();
    void repositionTriggers();
    void boundBoxesStoreOnlyOnUpdate();
    void middleReachedInAnyOrder_data();
    void middleReachedInAnyOrder();
    void currentRowSurvivesAReadAgain();
    void deleteThroughTheJoin();
    void referencesFollowTheKeys();
    void keptCountsFollowEveryChange();

private:
    struct Screen
    {
        QWidget window;
        DataControl *data = nullptr;
        DBGrid *grid = nullptr;
    };
    std::unique_ptr<Screen> openScreen(const QString &source);
    QList<QVariant> column(Recordset *rs, const QString &field);
    QStringList storedCnps(const QString &where);

    std::unique_ptr<TestRegister> m_reg;
};

void TestRecordset::init()
{
    m_reg = std::make_unique<TestRegister>();
}

void TestRecordset::cleanup()
{
    m_reg.reset();
}

std::unique_ptr<TestRecordset::Screen> TestRecordset::openScreen(const QString &source)
{
    auto s = std::make_unique<Screen>();
    auto *layout = new QVBoxLayout(&s->window);
    s->grid = new DBGrid(&s->window);
    s->grid->setCaptions({"Nume", "Prenume"});
    s->grid->setFields({"Nume", "Prenume"});
    s->data = new DataControl(&s->window);
    s->data->setObjectName("Data1");
    s->grid->setDataControl(s->data);
    layout->addWidget(s->grid);
    layout->addWidget(s->data);
    s->data->setRecordSource(source);
    s->data->refresh();
    return s;
}

QList<QVariant> TestRecordset::column(Recordset *rs, const QString &field)
{
    QList<QVariant> values;
    const int index = rs->fieldIndex(field);
    for (int row = 0; row < rs->recordCount(); ++row)
        values << rs->valueAt(row, index);
    return values;
}

void TestRecordset::connectionIsDurable()
{
    // A confirmed save must survive a power cut, not only a crash.
    DataError error;
    const std::unique_ptr<Database> db = Database::open(m_reg->path(), &error);
    QVERIFY2(db, qPrintable(error.describe()));
    QSqlQuery q(db->connection());
    QVERIFY(q.exec("PRAGMA synchronous") && q.next());
    QCOMPARE(q.value(0).toInt(), 2); // FULL
    QVERIFY(q.exec("PRAGMA journal_mode") && q.next());
    QCOMPARE(q.value(0).toString(), QString("wal"));
}

void TestRecordset::duplicatesAndOtherFailures_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("adding");
    QTest::addColumn<QVariantMap>("values");
    QTest::addColumn<int>("number");

    QTest::newRow("new person, CNP taken") << SourceTexts::Persons << true
                                           << QVariantMap{{"CNP_C", "1000000000001"}}
                                           << EngineError::DuplicateKey;
    QTest::newRow("new person through a query, CNP taken")
        << SourceTexts::PersonsWomen << true << QVariantMap{{"cnp_c", "1000000000001"}}
        << EngineError::DuplicateKey;
    QTest::newRow("person changed to a taken CNP")
        << SourceTexts::Persons << false << QVariantMap{{"CNP_C", "2000000000002"}}
        << EngineError::DuplicateKey;
    QTest::newRow("new accomplice, CNP taken")
        << SourceTexts::AccomplicesOfOffence + "1" << true
        << QVariantMap{{"CNP", "3000000000001"}, {"Nume", "X"}} << EngineError::DuplicateKey;
    QTest::newRow("new person without CNP") << SourceTexts::Persons << true
                                            << QVariantMap{{"Nume", "X"}} << EngineError::KeyIsNull;
    QTest::newRow("offence of an unknown person")
        << SourceTexts::OffencesOfPerson + "\"1000000000001\"" << true
        << QVariantMap{{"CNP_C", "5555555555555"}} << EngineError::RelatedRecordRequired;
}

void TestRecordset::duplicatesAndOtherFailures()
{
    QFETCH(QString, source);
    QFETCH(bool, adding);
    QFETCH(QVariantMap, values);
    QFETCH(int, number);

    m_reg->addPerson("1000000000001", "ION");
    m_reg->addPerson("2000000000002", "ANA", "F");
    const qint64 offence = m_reg->addOffence("1000000000001", "FURT", "A");
    QCOMPARE(offence, 1);
    m_reg->addAccomplice("3000000000001", "DAN", "M", offence);

    auto s = openScreen(source);
    Recordset *rs = s->data->recordset();
    const int before = rs->recordCount();
    QVERIFY(adding ? rs->addNew() : rs->edit());
    for (auto it = values.begin(); it != values.end(); ++it)
        QVERIFY(rs->setValue(it.key(), it.value()));
    QVERIFY(!rs->update());
    QCOMPARE(rs->lastError().number, number);
    // The pending row stays for the operator to correct or cancel.
    QVERIFY(rs->editMode() != Recordset::EditMode::None);
    QVERIFY(rs->cancelUpdate());
    QCOMPARE(rs->recordCount(), before);
    QCOMPARE(m_reg->count("TBL_Zavoni"), 2);
    QCOMPARE(m_reg->count("TBL_Complici"), 1);
    QCOMPARE(m_reg->value("SELECT CNP_C FROM TBL_Zavoni WHERE Nume = 'ION'").toString(),
             QString("1000000000001"));
}

void TestRecordset::setIsFixedUntilRequery()
{
    m_reg->addPerson("2000000000001", "ANA", "F");
    m_reg->addPerson("1000000000002", "ION", "M");
    m_reg->addPerson("2000000000003", "EVA", "F");
    auto s = openScreen(SourceTexts::PersonsWomen);
    Recordset *rs = s->data->recordset();
    QCOMPARE(column(rs, "nume"), (QList<QVariant>{"ANA", "EVA"}));

    // A man added through the women's list stays listed until it is selected again.
    QVERIFY(rs->addNew());
    QVERIFY(rs->setValue("CNP_C", "1000000000004"));
    QVERIFY(rs->setValue("Nume", "PETRU"));
    QVERIFY(rs->setValue("sex", "M"));
    QVERIFY(rs->update());
    QCOMPARE(rs->absolutePosition(), 0);
    QCOMPARE(s->data->counterText(), QString("1/3"));
    QVERIFY(rs->deleteCurrent());
    QVERIFY(rs->eof());
    QVERIFY(rs->moveNext());
    QCOMPARE(column(rs, "NUME"), (QList<QVariant>{"EVA", "PETRU"}));
    QCOMPARE(s->data->counterText(), QString("1/2"));

    // A row another program stores is not part of the set until a requery.
    m_reg->addPerson("2000000000009", "IOANA", "F");
    QCOMPARE(rs->recordCount(), 2);
    QVERIFY(rs->requery());
    QCOMPARE(column(rs, "Nume"), (QList<QVariant>{"EVA", "IOANA"}));
}

void TestRecordset::repositionTriggers()
{
    m_reg->addPerson("1000000000001", "P1");
    m_reg->addPerson("1000000000002", "P2");
    auto s = openScreen(SourceTexts::Persons);
    Recordset *rs = s->data->recordset();
    QSignalSpy spy(s->data, &DataControl::reposition);

    s->data->refresh();
    QCOMPARE(spy.count(), 1);
    const QList<QToolButton *> arrows = s->data->findChildren<QToolButton *>();
    QCOMPARE(arrows.size(), 4);
    for (QToolButton *arrow : arrows)
        arrow->click();
    QCOMPARE(spy.count(), 5);
    rs->moveLast();
    QCOMPARE(spy.count(), 6);
    rs->addNew();
    QCOMPARE(spy.count(), 6);
    rs->cancelUpdate();
    QCOMPARE(spy.count(), 7);
    rs->edit();
    rs->setValue("Nume", "P2B");
    rs->update();
    rs->deleteCurrent();
    rs->requery();
    QCOMPARE(spy.count(), 7);

    // Refresh raises it for an empty set too.
    s->data->setRecordSource(SourceTexts::OffencesOfPerson + "\"0\"");
    s->data->refresh();
    QCOMPARE(spy.count(), 8);
    QCOMPARE(s->data->counterText(), QString("0/0"));

    // A source the layer does not know leaves an empty set and says why.
    QSignalSpy failed(s->data, &DataControl::failed);
    s->data->setRecordSource("TBL_Nimic");
    QVERIFY(!s->data->refresh());
    QCOMPARE(failed.count(), 1);
    QCOMPARE(s->data->lastError().number, EngineError::UnknownObject);
    QVERIFY(!rs->value("Nume").isValid());
}

void TestRecordset::boundBoxesStoreOnlyOnUpdate()
{
    // Stored by another tool, longer than the box takes.
    const QString longName = QString(40, QChar(u'Ș'));
    m_reg->addPerson("1000000000001", longName, "M", {{"Prenume", "VASILE"}});
    auto s = std::make_unique<Screen>();
    auto *nume = new QLineEdit(&s->window);
    nume->setMaxLength(20);
    nume->setProperty("dataField", "NUME");
    auto *prenume = new QLineEdit(&s->window);
    prenume->setProperty("dataField", "prenume");
    s->data = new DataControl(&s->window);
    s->data->bindBoxes(&s->window);
    s->data->setRecordSource(SourceTexts::Persons);
    s->data->refresh();
    Recordset *rs = s->data->recordset();
    QCOMPARE(nume->text(), longName);
    QCOMPARE(prenume->text(), QString("VASILE"));
    const QString stored = "SELECT Nume || '/' || ifnull(Prenume, '-') FROM TBL_Zavoni";

    // Text put into a box while browsing is shown, never stored.
    prenume->setText("ALTUL");
    rs->moveLast();
    QCOMPARE(prenume->text(), QString("VASILE"));
    QCOMPARE(m_reg->value(stored).toString(), longName + "/VASILE");

    // An edit of one box keeps the other's long text whole.
    rs->edit();
    prenume->clear();
    QVERIFY(rs->update());
    QCOMPARE(m_reg->value(stored).toString(), longName + "/-");

    rs->addNew();
    QVERIFY(nume->text().isEmpty());
    nume->setText("NOU");
    rs->setValue("CNP_C", "1000000000002");
    QVERIFY(rs->update());
    QCOMPARE(m_reg->value("SELECT Nume FROM TBL_Zavoni WHERE CNP_C = '1000000000002'").toString(),
             QString("NOU"));
    // After storing a new row the row current before shows again.
    QCOMPARE(nume->text(), longName);
}

QStringList TestRecordset::storedCnps(const QString &where)
{
    return m_reg
        ->value("SELECT group_concat(CNP_C, ',') FROM (SELECT CNP_C FROM TBL_Zavoni WHERE "
                + where + " ORDER BY rowid)")
        .toString()
        .split(',', Qt::SkipEmptyParts);
}

void TestRecordset::middleReachedInAnyOrder_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("where");
    // Rows deleted before the set is selected, and what the register knows of
    // them: "kept" (its gaps), "unknown" (as a register made before gaps were
    // kept), "wrong" (a gap recorded for a row that is there).
    QTest::addColumn<QString>("gaps");
    QTest::addColumn<QList<int>>("deletedThrough");
    QTest::addColumn<int>("deletedByOther");
    // Whether each row keeps its place exactly when another program deletes
    // one: only where the keys are computed, not counted. A register whose
    // triggers stop keeping its gaps fails "gaps kept, another program deleted".
    QTest::addColumn<bool>("exact");

    const QString all = SourceTexts::Persons;
    const QString women = SourceTexts::PersonsWomen;
    const QList<int> none;
    QTest::newRow("every key") << all << "1" << "" << none << -1 << true;
    QTest::newRow("gaps kept") << all << "1" << "kept" << none << -1 << true;
    QTest::newRow("gaps unknown") << all << "1" << "unknown" << none << -1 << true;
    QTest::newRow("gaps wrong") << all << "1" << "wrong" << none << -1 << true;
    QTest::newRow("women") << women << "sex = 'F'" << "" << none << -1 << true;
    QTest::newRow("every key, deleted through the set")
        << all << "1" << "" << QList<int>{20000, 20000, 1000, 39000, 300} << -1 << true;
    QTest::newRow("gaps kept, deleted through the set")
        << all << "1" << "kept" << QList<int>{20000, 20000, 1000, 33000} << -1 << true;
    QTest::newRow("gaps unknown, deleted through the set")
        << all << "1" << "unknown" << QList<int>{20000, 20000, 1000, 33000} << -1 << true;
    QTest::newRow("women, deleted through the set")
        << women << "sex = 'F'" << "" << QList<int>{6000, 6000, 500, 12500} << -1 << true;
    // More than the keys read at the end: the end is read again from the middle.
    QList<int> tail;
    for (int row = 13333; row > 13233; --row)
        tail << row;
    QTest::newRow("women, their last hundred deleted through the set")
        << women << "sex = 'F'" << "" << tail << -1 << true;
    QTest::newRow("every key, another program deleted") << all << "1" << "" << none << 20000
                                                        << true;
    QTest::newRow("gaps kept, another program deleted")
        << all << "1" << "kept" << none << 20000 << true;
    QTest::newRow("gaps unknown, another program deleted")
        << all << "1" << "unknown" << none << 20000 << false;
    QTest::newRow("women, another program deleted")
        << women << "sex = 'F'" << "" << none << 6000 << false;
}

void TestRecordset::middleReachedInAnyOrder()
{
    QFETCH(QString, source);
    QFETCH(QString, where);
    QFETCH(QString, gaps);
    QFETCH(QList<int>, deletedThrough);
    QFETCH(int, deletedByOther);
    QFETCH(bool, exact);

    // Many times the rows the set reads at its ends, and its middle many
    // times what it keeps of it at once.
    const auto addPersons = [this](int first, int count) {
        m_reg->exec("INSERT INTO TBL_Zavoni (CNP_C, Nume, sex) WITH RECURSIVE n(i) AS "
                    "(SELECT ? UNION ALL SELECT i + 1 FROM n WHERE i + 1 < ?) "
                    "SELECT CAST(1000000000000 + i AS TEXT), 'P' || i, "
                    "CASE WHEN i % 3 = 0 THEN 'F' ELSE 'M' END FROM n",
                    {first, first + count});
    };
    addPersons(0, 40000);
    if (!gaps.isEmpty()) {
        // The last rowids come back to new rows: their gaps must be cleared.
        m_reg->exec("DELETE FROM TBL_Zavoni WHERE rowid % 7 = 3 AND rowid > 300 "
                    "OR rowid > 39900");
        addPersons(50000, 100);
    }
    if (gaps == "unknown")
        m_reg->exec("DELETE FROM TBL_Goluri");
    else if (gaps == "wrong")
        m_reg->exec("INSERT INTO TBL_Goluri VALUES (20001)");
    QStringList expected = storedCnps(where);

    auto s = openScreen(source);
    Recordset *rs = s->data->recordset();
    const int cnp = rs->fieldIndex("CNP_C");
    QCOMPARE(rs->recordCount(), expected.size());
    if (deletedByOther >= 0) {
        m_reg->exec("DELETE FROM TBL_Zavoni WHERE CNP_C = ?", {expected.at(deletedByOther)});
        expected[deletedByOther].clear();
    }
    for (int row : deletedThrough) {
        QVERIFY(rs->moveTo(row));
        QCOMPARE(rs->value("CNP_C").toString(), expected.at(row));
        QVERIFY(rs->deleteCurrent());
        expected.removeAt(row);
    }
    QCOMPARE(rs->recordCount(), expected.size());

    const int n = expected.size();
    for (int row : {n / 2, n - 300, 300, n / 3, 3 * n / 4, n / 2 + 1, 257, n - 257, n / 5,
                    4 * n / 5, n / 2 - 4096, 9 * n / 10, n / 2}) {
        const QString shown = rs->valueAt(row, cnp).toString();
        if (exact)
            QCOMPARE(shown, expected.at(row));
    }
    // The whole set, read back from its end as a grid scrolled upwards reads it.
    QStringList shown(n);
    for (int top = n - n % 64; top >= 0; top -= 64) {
        for (int row = top; row < qMin(n, top + 64); ++row)
            shown[row] = rs->valueAt(row, cnp).toString();
    }
    if (exact)
        QCOMPARE(shown, expected);
    // Whatever moved, no stored row is lost or repeated, nor shown out of order.
    QCOMPARE(shown.count(QString()), deletedByOther >= 0 ? 1 : 0);
    shown.removeAll(QString());
    QCOMPARE(shown, storedCnps(where));
}

// The current row's chunk of keys is dropped while the operator scrolls far
// away, and another program deletes a row before it meanwhile: the keys read
// again are one place off, but the row on the screen stays the one edited.
void TestRecordset::currentRowSurvivesAReadAgain()
{
    m_reg->exec("INSERT INTO TBL_Zavoni (CNP_C, Nume) WITH RECURSIVE n(i) AS "
                "(SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < 80000) "
                "SELECT CAST(1000000000000 + i AS TEXT), 'P' || i FROM n");
    // Gaps the register does not know of: the middle is counted, not computed.
    m_reg->exec("DELETE FROM TBL_Zavoni WHERE rowid % 7 = 3");
    m_reg->exec("DELETE FROM TBL_Goluri");
    const QStringList stored = storedCnps("1");
    auto s = openScreen(SourceTexts::Persons);
    Recordset *rs = s->data->recordset();
    const int current = 5000;
    QVERIFY(rs->moveTo(current));
    QCOMPARE(rs->value("CNP_C").toString(), stored.at(current));
    m_reg->exec("DELETE FROM TBL_Zavoni WHERE CNP_C = ?", {stored.at(current - 3000)});
    for (int row = 30000; row < stored.size() - 300; row += 3500)
        rs->valueAt(row, rs->fieldIndex("CNP_C"));

    QCOMPARE(rs->value("CNP_C").toString(), stored.at(current));
    QVERIFY(rs->edit());
    QVERIFY(rs->setValue("Nume", "SCHIMBAT"));
    QVERIFY(rs->update());
    QCOMPARE(m_reg->value("SELECT group_concat(CNP_C) FROM TBL_Zavoni WHERE Nume = 'SCHIMBAT'")
                 .toString(),
             stored.at(current));
}

void TestRecordset::deleteThroughTheJoin()
{
    m_reg->addPerson("1000000000001", "ION");
    const qint64 a = m_reg->addOffence("1000000000001", "FURT", "A");
    const qint64 b = m_reg->addOffence("1000000000001", "FALS", "A");
    m_reg->addAccomplice("3000000000001", "SHARED", "M", a);
    m_reg->addAccomplice("3000000000001", "SHARED", "M", b);
    m_reg->addAccomplice("3000000000002", "ONLY", "F", a);

    auto s = openScreen(SourceTexts::AccomplicesOfOffence + QString::number(a));
    Recordset *rs = s->data->recordset();
    QCOMPARE(rs->recordCount(), 2);
    QVERIFY(rs->deleteCurrent());
    QCOMPARE(m_reg->count("TBL_Complicitate", "CNP = '3000000000001'"), 1);
    QCOMPARE(m_reg->count("TBL_Complici", "CNP = '3000000000001'"), 1);
    rs->moveLast();
    QVERIFY(rs->deleteCurrent());
    QCOMPARE(m_reg->count("TBL_Complici", "CNP = '3000000000002'"), 0);
    QCOMPARE(rs->recordCount(), 0);

    // A second identical link is ignored, not refused.
    QVERIFY(s->data->refresh());
    auto other = openScreen("TBL_Complicitate");
    Recordset *links = other->data->recordset();
    QVERIFY(links->addNew());
    links->setValue("cod_infractiune", b);
    links->setValue("CNP", "3000000000001");
    QVERIFY2(links->update(), qPrintable(links->lastError().describe()));
    QCOMPARE(m_reg->count("TBL_Complicitate", "CNP = '3000000000001'"), 1);
}

void TestRecordset::referencesFollowTheKeys()
{
    m_reg->addPerson("1000000000001", "ION");
    const qint64 a = m_reg->addOffence("1000000000001", "FURT", "A");
    m_reg->addAccomplice("3000000000001", "DAN", "M", a);
    m_reg->addArticle(a, "ZIARUL", "text");

    auto s = openScreen(SourceTexts::Persons);
    Recordset *rs = s->data->recordset();
    rs->edit();
    rs->setValue("CNP_C", "1000000000009");
    QVERIFY(rs->update());
    QCOMPARE(m_reg->count("TBL_Infractiuni", "CNP_C = '1000000000009'"), 1);

    QVERIFY(rs->deleteCurrent());
    for (const char *table : {"TBL_Zavoni", "TBL_Infractiuni", "TBL_Complicitate",
                              "TBL_Complici", "TBL_Articole"})
        QCOMPARE(m_reg->count(table), 0);
}

void TestRecordset::keptCountsFollowEveryChange()
{
    // Counts are kept for the sources selected whole; whoever writes the rows,
    // the counter must agree with the rows.
    m_reg->exec("BEGIN");
    for (int i = 0; i < 700; ++i)
        m_reg->addPerson(QString::number(1000000000000LL + i), "P", i % 2 ? "M" : "F");
    m_reg->exec("COMMIT");
    m_reg->exec("UPDATE TBL_Zavoni SET sex = 'F' WHERE rowid <= 10 AND sex = 'M'");
    m_reg->exec("DELETE FROM TBL_Zavoni WHERE rowid > 690");
    auto s = openScreen(SourceTexts::Persons);
    Recordset *rs = s->data->recordset();
    rs->addNew();
    rs->setValue("CNP_C", "2999999999999");
    rs->setValue("sex", "F");
    QVERIFY(rs->update());
    for (const QString &source : {SourceTexts::Persons, SourceTexts::PersonsWomen,
                                  SourceTexts::PersonsMen}) {
        s->data->setRecordSource(source);
        QVERIFY(s->data->refresh());
        const QString where = source == SourceTexts::Persons ? "1"
                              : source == SourceTexts::PersonsWomen ? "sex = 'F'"
                                                                    : "sex = 'M'";
        QCOMPARE(rs->recordCount(), m_reg->count("TBL_Zavoni", where));
        rs->moveLast();
        QCOMPARE(rs->valueAt(rs->recordCount() - 1, rs->fieldIndex("CNP_C")),
                 m_reg->value("SELECT CNP_C FROM TBL_Zavoni WHERE " + where
                              + " ORDER BY rowid DESC LIMIT 1"));
    }
    // A register whose counts another tool dropped is counted instead.
    m_reg->exec("DROP TABLE TBL_Numarare");
    s->data->setRecordSource(SourceTexts::PersonsMen);
    QVERIFY(s->data->refresh());
    QCOMPARE(rs->recordCount(), m_reg->count("TBL_Zavoni", "sex = 'M'"));
}

QTEST_MAIN(TestRecordset)
#include "tst_recordset.moc"
