#include "common/testregister.h"

#include "widgets/datacontrol.h"
#include "data/catalogue.h"
#include "data/database.h"
#include "data/personorder.h"
#include "data/recordset.h"
#include "data/sourcetexts.h"

#include <QTest>

// The record set behind every screen, over a real register file.
class TestRecordset : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void setIsFixedUntilRequery();
    void middleReachedInAnyOrder_data();
    void middleReachedInAnyOrder();
    void currentRowSurvivesAReadAgain();
    void sortedReachedAnywhere_data();
    void sortedReachedAnywhere();
    void referencesFollowTheKeys();
    void keptCountsFollowEveryChange();
    void failedWrites_data();
    void failedWrites();

private:
    std::unique_ptr<DataControl> openData(const QString &source);
    QList<QVariant> column(Recordset *rs, const QString &field);
    QStringList storedCnps(const QString &where);
    void addPersons(int first, int count);
    QString everyRow();

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

std::unique_ptr<DataControl> TestRecordset::openData(const QString &source)
{
    auto data = std::make_unique<DataControl>();
    data->setRecordSource(source);
    data->refresh();
    return data;
}

QList<QVariant> TestRecordset::column(Recordset *rs, const QString &field)
{
    QList<QVariant> values;
    const int index = rs->fieldIndex(field);
    for (int row = 0; row < rs->recordCount(); ++row)
        values << rs->valueAt(row, index);
    return values;
}

void TestRecordset::setIsFixedUntilRequery()
{
    m_reg->addPerson("2000000000001", "ANA", "F");
    m_reg->addPerson("1000000000002", "ION", "M");
    m_reg->addPerson("2000000000003", "EVA", "F");
    auto data = openData(SourceTexts::PersonsWomen);
    Recordset *rs = data->recordset();
    QCOMPARE(column(rs, "nume"), (QList<QVariant>{"ANA", "EVA"}));

    // A man added through the women's list stays listed until it is selected again.
    QVERIFY(rs->addNew() && rs->setValue("cnp_c", "1000000000004"));
    QVERIFY(rs->setValue("Nume", "PETRU") && rs->setValue("sex", "M") && rs->update());
    QCOMPARE(rs->absolutePosition(), 0);
    QCOMPARE(data->counterText(), QString("1/3"));
    QVERIFY(rs->deleteCurrent());
    QVERIFY(rs->eof());
    QVERIFY(rs->moveNext());
    QCOMPARE(column(rs, "NUME"), (QList<QVariant>{"EVA", "PETRU"}));
    QCOMPARE(data->counterText(), QString("1/2"));

    // A row another program stores is not part of the set until a requery.
    m_reg->addPerson("2000000000009", "IOANA", "F");
    QCOMPARE(rs->recordCount(), 2);
    QVERIFY(rs->requery());
    QCOMPARE(column(rs, "Nume"), (QList<QVariant>{"EVA", "IOANA"}));
}

// A third of them women, as the generated registers have them.
void TestRecordset::addPersons(int first, int count)
{
    m_reg->exec("INSERT INTO TBL_Zavoni (CNP_C, Nume, sex) WITH RECURSIVE n(i) AS "
                "(SELECT CAST(? AS INTEGER) UNION ALL SELECT i + 1 FROM n WHERE i + 1 < ?) "
                "SELECT CAST(1000000000000 + i AS TEXT), 'P' || i, "
                "CASE WHEN i % 3 = 0 THEN 'F' ELSE 'M' END FROM n",
                {first, first + count});
}

QStringList TestRecordset::storedCnps(const QString &where)
{
    return m_reg
        ->value("SELECT group_concat(CNP_C, ',') FROM (SELECT CNP_C FROM TBL_Zavoni WHERE "
                + where + " ORDER BY rowid) AS t")
        .toString()
        .split(',', Qt::SkipEmptyParts);
}

void TestRecordset::middleReachedInAnyOrder_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("where");
    // What the register knows of rows deleted before the set is selected: "kept"
    // (its gaps), "unknown" (gaps not kept yet), "wrong" (a gap for a row there).
    QTest::addColumn<QString>("gaps");
    QTest::addColumn<QList<int>>("deletedThrough");
    QTest::addColumn<int>("deletedByOther");
    // Whether each row keeps its place exactly when another program deletes one:
    // only where the keys are computed, not counted.
    QTest::addColumn<bool>("exact");

    const auto row = [](const char *tag, bool women, const char *gaps, QList<int> through,
                        int byOther, bool exact = true) {
        QTest::newRow(tag) << (women ? SourceTexts::PersonsWomen : SourceTexts::Persons)
                           << (women ? "sex = 'F'" : "1 = 1") << gaps << through << byOther << exact;
    };
    row("gaps wrong", false, "wrong", {}, -1);
    // No delete trigger runs for the row a REPLACE deletes.
    row("replaced by another tool", false, "replaced", {}, -1);
    row("women, replaced by another tool", true, "replaced", {}, -1);
    row("every key, deleted through the set", false, "", {20000, 20000, 1000, 39000, 300}, -1);
    row("gaps kept, deleted through the set", false, "kept", {20000, 20000, 1000, 33000}, -1);
    row("gaps unknown, deleted through the set", false, "unknown", {20000, 20000, 1000, 33000},
        -1);
    row("women, deleted through the set", true, "", {6000, 6000, 500, 12500}, -1);
    // More than the keys read at the end: the end is read again from the middle.
    QList<int> tail;
    for (int row = 13333; row > 13233; --row)
        tail << row;
    row("women, their last hundred deleted through the set", true, "", tail, -1);
    row("every key, another program deleted", false, "", {}, 20000);
    row("gaps kept, another program deleted", false, "kept", {}, 20000);
    row("gaps unknown, another program deleted", false, "unknown", {}, 20000, false);
    row("women, another program deleted", true, "", {}, 6000, false);
}

void TestRecordset::middleReachedInAnyOrder()
{
    QFETCH(QString, source);
    QFETCH(QString, where);
    QFETCH(QString, gaps);
    QFETCH(QList<int>, deletedThrough);
    QFETCH(int, deletedByOther);
    QFETCH(bool, exact);
    if (TestRegister::isServer() && !gaps.isEmpty())
        QSKIP("the server keeps no gaps and reuses no keys");

    // Many times the rows the set reads at its ends, and its middle many
    // times what it keeps of it at once.
    addPersons(0, 40000);
    if (!gaps.isEmpty()) {
        // The last rowids come back to new rows: their gaps must be cleared.
        m_reg->exec("DELETE FROM TBL_Zavoni WHERE rowid % 7 = 3 AND rowid > 300 "
                    "OR rowid > 39900");
        addPersons(50000, 100);
    }
    if (gaps == "unknown")
        m_reg->exec("DELETE FROM TBL_Goluri");
    else if (gaps == "replaced")
        m_reg->exec("REPLACE INTO TBL_Zavoni (CNP_C, Nume, sex) SELECT CNP_C, 'ALT PROGRAM', sex "
                    "FROM TBL_Zavoni WHERE rowid = 20005");
    else if (gaps == "wrong")
        m_reg->exec("INSERT INTO TBL_Goluri VALUES (20001)");
    QStringList expected = storedCnps(where);

    auto data = openData(source);
    Recordset *rs = data->recordset();
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

// Another program deletes a row before the current one while its keys are
// dropped far away: read again one place off, the row edited stays the same.
void TestRecordset::currentRowSurvivesAReadAgain()
{
    addPersons(0, 80000);
    // Gaps the register does not know of: the middle is counted, not computed.
    m_reg->exec("DELETE FROM TBL_Zavoni WHERE rowid % 7 = 3");
    if (!TestRegister::isServer())
        m_reg->exec("DELETE FROM TBL_Goluri");
    const QStringList stored = storedCnps("1 = 1");
    auto data = openData(SourceTexts::Persons);
    Recordset *rs = data->recordset();
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

void TestRecordset::sortedReachedAnywhere_data()
{
    QTest::addColumn<QString>("sex");
    QTest::addColumn<bool>("descending");
    // A row deleted through the set on a landmark, and one added.
    QTest::addColumn<bool>("changed");

    QTest::newRow("by name") << "" << false << false;
    QTest::newRow("reversed, changed through the set") << "" << true << true;
    QTest::newRow("women, changed through the set") << "F" << false << true;
}

// Sorted by names that more persons share than a chunk or landmarks hold: every
// row reached at once, again once the landmarks are placed, and a key's row.
void TestRecordset::sortedReachedAnywhere()
{
    QFETCH(QString, sex);
    QFETCH(bool, descending);
    QFETCH(bool, changed);
    if (TestRegister::isServer())
        QSKIP("finding and sorting are not on the server yet");
    addPersons(0, 5000);
    m_reg->exec("UPDATE TBL_Zavoni SET Nume = 'N' || (rowid % 3)");
    const QString where = sex.isEmpty() ? "1" : "sex = '" + sex + "'";
    const QString dir = descending ? " DESC" : "";
    QStringList expected = m_reg->value(QString("SELECT group_concat(CNP_C, ',') FROM (SELECT "
                                                "CNP_C FROM TBL_Zavoni WHERE %1 ORDER BY Nume%2, "
                                                "sex%2, rowid%2)").arg(where, dir))
                               .toString().split(',');
    DataError error;
    const std::unique_ptr<Database> db = Database::open(m_reg->path(), &error);
    QVERIFY(db);
    PersonSearch search(db->connection());
    auto data = std::make_unique<DataControl>();
    data->setRecordSource(sex.isEmpty() ? SourceTexts::Persons : SourceTexts::PersonsWomen);
    Recordset *rs = data->recordset();
    rs->setSortedOrder([&] {
        return std::make_unique<PersonOrder>(&search, PersonSearch::Order{"Nume", descending}, sex);
    });
    const auto check = [&] {
        const int n = expected.size();
        QCOMPARE(rs->recordCount(), n);
        for (int row : {n - 1, 0, n / 2, 1023, 1024, 1025, n - 1025, n - 1024, n - 1023, 2}) {
            QCOMPARE(rs->valueAt(row, rs->fieldIndex("CNP_C")).toString(), expected.at(row));
        }
        for (int row : {n - 1, 1500, 1024, 3}) {
            const qint64 key = m_reg->value("SELECT rowid FROM TBL_Zavoni WHERE CNP_C = ?",
                                            {expected.at(row)}).toLongLong();
            QCOMPARE(rs->rowOf(key), row);
        }
    };
    for (int pass = 0; pass < 2 && !QTest::currentTestFailed(); ++pass) {
        QVERIFY(data->refresh());
        if (pass > 0)
            QTest::qWait(100);
        check();
    }
    if (!changed || QTest::currentTestFailed())
        return;
    QVERIFY(rs->moveTo(1024) && rs->deleteCurrent());
    expected.removeAt(1024);
    // Sorting first, it still joins the end.
    QVERIFY(rs->addNew() && rs->setValue("CNP_C", "2999999999999") && rs->setValue("Nume", "A"));
    QVERIFY(rs->setValue("sex", "F") && rs->update());
    expected << "2999999999999";
    check();
}

void TestRecordset::referencesFollowTheKeys()
{
    m_reg->addPerson("1000000000001", "ION");
    const qint64 a = m_reg->addOffence("1000000000001", "FURT", "A");
    const qint64 b = m_reg->addOffence("1000000000001", "FALS", "A");
    m_reg->addAccomplice("3000000000001", "SHARED", "M", a);
    m_reg->addAccomplice("3000000000001", "SHARED", "M", b);
    m_reg->addAccomplice("3000000000002", "ONLY", "F", a);
    m_reg->addArticle(a, "ZIARUL", "text");

    // Through the join only the offence's link goes; an accomplice linked to
    // no offence goes with it.
    auto data = openData(SourceTexts::AccomplicesOfOffence + QString::number(a));
    Recordset *rs = data->recordset();
    QCOMPARE(rs->recordCount(), 2);
    QVERIFY(rs->deleteCurrent());
    QCOMPARE(m_reg->count("TBL_Complicitate", "CNP = '3000000000001'"), 1);
    QCOMPARE(m_reg->count("TBL_Complici", "CNP = '3000000000001'"), 1);
    rs->moveLast();
    QVERIFY(rs->deleteCurrent());
    QCOMPARE(m_reg->count("TBL_Complici", "CNP = '3000000000002'"), 0);

    // The offences follow a corrected CNP, and everything goes with the person.
    data->setRecordSource(SourceTexts::Persons);
    QVERIFY(data->refresh());
    QVERIFY(rs->edit() && rs->setValue("CNP_C", "1000000000009") && rs->update());
    QCOMPARE(m_reg->count("TBL_Infractiuni", "CNP_C = '1000000000009'"), 2);
    QVERIFY(rs->deleteCurrent());
    for (const char *table : {"TBL_Zavoni", "TBL_Infractiuni", "TBL_Complicitate",
                              "TBL_Complici", "TBL_Articole"})
        QCOMPARE(m_reg->count(table), 0);
}

void TestRecordset::keptCountsFollowEveryChange()
{
    // Counts are kept for the sources selected whole; whoever writes the rows,
    // the counter must agree with the rows.
    addPersons(0, 700);
    m_reg->exec("UPDATE TBL_Zavoni SET sex = 'F' WHERE rowid <= 10 AND sex = 'M'");
    m_reg->exec("DELETE FROM TBL_Zavoni WHERE rowid > 690");
    auto data = openData(SourceTexts::Persons);
    Recordset *rs = data->recordset();
    QVERIFY(rs->addNew() && rs->setValue("CNP_C", "2999999999999") && rs->setValue("sex", "F"));
    QVERIFY(rs->update());
    const std::pair<QString, QString> sources[] = {{SourceTexts::Persons, "1 = 1"},
                                                   {SourceTexts::PersonsWomen, "sex = 'F'"},
                                                   {SourceTexts::PersonsMen, "sex = 'M'"}};
    for (const auto &[source, where] : sources) {
        data->setRecordSource(source);
        QVERIFY(data->refresh());
        QCOMPARE(rs->recordCount(), m_reg->count("TBL_Zavoni", where));
    }
    if (TestRegister::isServer())
        return;
    // A register whose counts another tool dropped is counted instead.
    m_reg->exec("DROP TABLE TBL_Numarare");
    data->setRecordSource(SourceTexts::PersonsMen);
    QVERIFY(data->refresh());
    QCOMPARE(rs->recordCount(), m_reg->count("TBL_Zavoni", "sex = 'M'"));
}

QString TestRecordset::everyRow()
{
    QString rows;
    for (const Catalogue::Object &object : Catalogue::objects()) {
        if (object.isQuery)
            continue;
        QStringList columns{"rowid"};
        for (const Catalogue::Field &field : object.fields)
            columns << "quote(" + Catalogue::quoted(TestRegister::name(field.name)) + ")";
        rows += m_reg->value(QString("SELECT group_concat(r, ';') FROM (SELECT %1 AS r FROM %2 "
                                     "ORDER BY rowid) AS t")
                                 .arg(columns.join(" || ',' || "), object.name))
                    .toString()
                + '\n';
    }
    return rows;
}

void TestRecordset::failedWrites_data()
{
    QTest::addColumn<QString>("source");
    // What another writer does to the last row, shown meanwhile: "change" it,
    // "delete" it (for an accomplice, its link to the offence shown), or
    // "replace" it by a row that takes its key where keys are reused.
    QTest::addColumn<QString>("other");
    QTest::addColumn<QString>("operation"); // "add", "save" (a change) or "delete"
    QTest::addColumn<QVariantMap>("values");
    QTest::addColumn<int>("number");

    QTest::newRow("new person, CNP taken")
        << "persons" << "" << "add" << QVariantMap{{"CNP_C", "1000000000001"}} << 3022;
    QTest::newRow("person changed to a taken CNP")
        << "persons" << "" << "save" << QVariantMap{{"CNP_C", "1000000000001"}} << 3022;
    QTest::newRow("new accomplice, CNP taken") << "accomplices" << "" << "add"
        << QVariantMap{{"CNP", "3000000000001"}, {"Nume", "X"}} << 3022;
    QTest::newRow("new person without CNP")
        << "persons" << "" << "add" << QVariantMap{{"Nume", "X"}} << 3058;
    QTest::newRow("offence of an unknown person")
        << "offences" << "" << "add" << QVariantMap{{"CNP_C", "5555555555555"}} << 3201;
    const QHash<QString, QString> typed{{"persons", "Nume"}, {"offences", "Descriere"},
                                        {"accomplices", "Nume"}, {"articles", "Articol"}};
    for (const char *source : {"persons", "offences", "accomplices", "articles"}) {
        for (const char *other : {"change", "delete", "replace"}) {
            for (const char *operation : {"save", "delete"}) {
                QTest::addRow("%s, another writer's %s, %s", qPrintable(source), other,
                              operation)
                    << source << other << operation
                    << QVariantMap{{typed.value(source), "TASTAT"}}
                    << EngineError::ChangedMeanwhile;
            }
        }
    }
}

// The writes that fail leave every row as it was and the typed row pending.
// The other writer is the test's own connection to the file.
void TestRecordset::failedWrites()
{
    QFETCH(QString, source);
    QFETCH(QString, other);
    QFETCH(QString, operation);
    QFETCH(QVariantMap, values);
    QFETCH(int, number);
    m_reg->addPerson("1000000000001", "POPESCU", "F");
    m_reg->addPerson("1000000000002", "IONESCU");
    const qint64 code = m_reg->addOffence("1000000000001", "FURT", "A");
    const qint64 another = m_reg->addOffence("1000000000002", "FALS", "A");
    m_reg->addOffence("1000000000001", "FALS", "A");
    m_reg->addAccomplice("3000000000001", "DAN", "M", code);
    m_reg->addAccomplice("3000000000002", "ELENA", "F", code);
    m_reg->addAccomplice("3000000000002", "ELENA", "F", another);
    m_reg->addArticle(code, "ZIARUL", "text");
    m_reg->addArticle(code, "GAZETA", "alt text");
    const QHash<QString, std::pair<QString, QString>> sources{
        {"persons", {SourceTexts::Persons, "TBL_Zavoni"}},
        {"offences",
         {SourceTexts::OffencesOfPerson + SourceTexts::quotedKey("1000000000001"),
          "TBL_Infractiuni"}},
        {"accomplices",
         {SourceTexts::AccomplicesOfOffence + QString::number(code), "TBL_Complici"}},
        {"articles", {SourceTexts::ArticlesOfOffence + QString::number(code), "TBL_Articole"}}};
    const auto [text, table] = sources.value(source);
    const QString field = values.firstKey();

    // The last row is shown: its key is the one a new row takes once it is gone.
    auto data = openData(text);
    Recordset *rs = data->recordset();
    QVERIFY(rs->moveLast());
    QVERIFY(rs->value(field).isValid());
    const int count = rs->recordCount();
    QVERIFY(operation == "delete" || (operation == "add" ? rs->addNew() : rs->edit()));
    for (auto it = values.begin(); operation != "delete" && it != values.end(); ++it)
        QVERIFY(rs->setValue(it.key(), it.value()));
    const qint64 key = m_reg->value("SELECT max(rowid) FROM " + table).toLongLong();
    const QString row = QString(" FROM %1 WHERE rowid = %2").arg(table).arg(key);
    if (other == "change") {
        m_reg->exec(QString("UPDATE %1 SET %2 = 'ALTUL' WHERE rowid = ?").arg(table, field), {key});
    } else if (other == "delete" && source == "accomplices") {
        m_reg->exec("DELETE FROM TBL_Complicitate WHERE CNP = '3000000000002' AND "
                    "COD_INFRACTIUNE = ?", {code});
    } else if (!other.isEmpty()) {
        m_reg->exec("DELETE" + row);
    }
    if (other == "replace") {
        m_reg->addPerson("1000000000009", "PRIMUL");
        m_reg->addOffence("1000000000001", "OMOR", "A", {{"Descriere", "NOUA"}});
        m_reg->addAccomplice("3000000000009", "NOUL", "M", code);
        m_reg->addArticle(code, "NOUA", "nou");
        // Offence codes are never reused.
        QCOMPARE(m_reg->value("SELECT max(rowid) FROM " + table).toLongLong(),
                 table == "TBL_Infractiuni" || TestRegister::isServer() ? key + 1 : key);
    }
    const QString before = everyRow();

    QVERIFY(operation == "delete" ? !rs->deleteCurrent() : !rs->update());
    QCOMPARE(rs->lastError().number, number);
    QCOMPARE(everyRow(), before);
    QCOMPARE(rs->recordCount(), count);
    if (number == EngineError::ChangedMeanwhile)
        QVERIFY(rs->lastError().text.contains("altcineva"));
    if (operation == "delete")
        return;
    // What was typed stays, and cancelling shows the row as it is now.
    QCOMPARE(rs->value(field), values.first());
    QVERIFY(rs->cancelUpdate());
    if (!other.isEmpty())
        QCOMPARE(rs->value(field), m_reg->value("SELECT " + field + row));
    // Shown afresh, the row takes a change again.
    if (other == "change") {
        QVERIFY(rs->edit() && rs->setValue(field, "TASTAT"));
        QVERIFY2(rs->update(), qPrintable(rs->lastError().describe()));
        QCOMPARE(m_reg->value("SELECT " + field + row).toString(), QString("TASTAT"));
    }
}

QTEST_MAIN(TestRecordset)
#include "tst_recordset.moc"
