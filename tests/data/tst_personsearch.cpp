#include "common/columns.h"
#include "common/testregister.h"

#include "data/database.h"
#include "data/personsearch.h"

#include <QTest>

using Order = PersonSearch::Order;
using Dir = PersonSearch::Direction;

// Finding and sorting persons in a register that gains the search when opened,
// then changed by another program.
class TestPersonSearch : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_reg = std::make_unique<TestRegister>();
        // A register made before finding and sorting, which gains them below.
        for (const QSqlRecord &r : m_reg->records(
                 "SELECT type || ' ' || name FROM sqlite_master WHERE name = 'FTS_Zavoni' OR "
                 "name LIKE 'TR_Zavoni_cautare_%' OR name LIKE 'IX_Zavoni_ordine_%'"))
            m_reg->exec("DROP " + r.value(0).toString());
        const QList<QStringList> persons = {
            {"1850315401231", "ȘTEFAN", "ION", "", "M"},
            {"2850315401234", "ŞTEFĂNESCU", "MARIA", "", "F"},
            {"1700101400011", "ȚIRIAC", "ION", "", "M"},
            {"2700101400012", "POPESCU-ŢĂRANU", "ANA", "", "F"},
            {"2700101400013", "ALBU", "ŞTEFANIA", "", "F"},
            {"1700101400014", "PETRE", "", "STEAUA", "M"},
        };
        int serial = 100;
        for (const QStringList &p : persons)
            m_reg->addPerson(p[0], p[1], p[4], {{"Prenume", p[2]}, {"Porecla1", p[3]}});
        for (const char *sortOnly : {"BĂLAN", "BALTA", "AZUR", "ĂLA", "ÂNCA", "ÎNCULEȚ", "ISAC", "",
                                     "TUDOR", "zamfir", "SAVA"})
            m_reg->addPerson(QString::number(1700101400000LL + ++serial), sortOnly, "M",
                             {{"Prenume", "X"}});

        DataError error;
        m_db = Database::open(m_reg->path(), &error);
        QVERIFY(m_db);
        m_search = std::make_unique<PersonSearch>(m_db->connection());
        QVERIFY(!m_search->isInstalled());
        QVERIFY2(m_search->install({}, &error), qPrintable(error.describe()));
        QVERIFY(m_search->isInstalled());

        // Another program changes the register after it gained the search.
        m_reg->addPerson("1900101400015", "ştefan", "M", {{"Prenume", "ALEXANDRU"}});
        m_reg->exec("UPDATE TBL_Zavoni SET Porecla1 = 'LUPUL' WHERE Nume = 'PETRE'");
        m_reg->exec("DELETE FROM TBL_Zavoni WHERE Nume = 'ALBU'");
    }

    void cleanup()
    {
        m_search.reset();
        m_db.reset();
        m_reg.reset();
    }

    void find_data()
    {
        columns<QString, QString, QStringList>("typed", "sex", "found");

        const QStringList stefans{"ȘTEFAN", "ŞTEFĂNESCU", "ştefan"};
        QTest::newRow("no diacritics") << "stefan" << "" << stefans;
        QTest::newRow("cedilla typed, comma stored") << "ŞTEF" << "" << stefans;
        QTest::newRow("comma typed, cedilla stored") << "ștefăn" << "" << stefans;
        QTest::newRow("longer") << "stefane" << "" << QStringList{"ŞTEFĂNESCU"};
        QTest::newRow("T comma") << "tiriac" << "" << QStringList{"ȚIRIAC"};
        QTest::newRow("word after a hyphen") << "TARANU" << "" << QStringList{"POPESCU-ŢĂRANU"};
        QTest::newRow("inside a word") << "opescu" << "" << QStringList{};
        QTest::newRow("every word typed") << "ion stef" << "" << QStringList{"ȘTEFAN"};
        QTest::newRow("in the given name") << "ion" << "" << QStringList{"ȘTEFAN", "ȚIRIAC"};
        QTest::newRow("CNP from its start") << "18503" << "" << QStringList{"ȘTEFAN"};
        QTest::newRow("CNP not from its start") << "0315" << "" << QStringList{};
        QTest::newRow("inserted by another program") << "alex" << "" << QStringList{"ştefan"};
        QTest::newRow("changed by another program") << "steaua" << "" << QStringList{};
        QTest::newRow("as changed") << "lupul" << "" << QStringList{"PETRE"};
        QTest::newRow("deleted by another program") << "albu" << "" << QStringList{};
        QTest::newRow("women only") << "stefan" << "F" << QStringList{"ŞTEFĂNESCU"};
        QTest::newRow("nothing typed") << " - " << "" << QStringList{};
    }

    void find()
    {
        QFETCH(QString, typed);
        QFETCH(QString, sex);
        QFETCH(QStringList, found);

        QCOMPARE(walk(typed, sex, {}, Dir::Forward), found);
        std::reverse(found.begin(), found.end());
        QCOMPARE(walk(typed, sex, {}, Dir::Backward), found);
    }

    void sort_data()
    {
        columns<bool, QString, QStringList>("descending", "sex", "order");

        const QStringList all{"AZUR", "ĂLA", "ÂNCA", "BALTA", "BĂLAN", "ISAC", "ÎNCULEȚ", "PETRE",
                              "POPESCU-ŢĂRANU", "SAVA", "ȘTEFAN", "ştefan", "ŞTEFĂNESCU", "TUDOR",
                              "ȚIRIAC", "zamfir", ""};
        QStringList reversed = all;
        std::reverse(reversed.begin(), reversed.end());
        QTest::newRow("Romanian order, empty last") << false << "" << all;
        QTest::newRow("reversed") << true << "" << reversed;
        QTest::newRow("women") << false << "F" << QStringList{"POPESCU-ŢĂRANU", "ŞTEFĂNESCU"};
    }

    void sort()
    {
        QFETCH(QString, sex);

        // Read three at a time, each read going on from the last key read.
        const Order byName{"Nume", cell<bool>("descending")};
        QStringList names;
        std::optional<PersonSearch::Place> from;
        DataError error;
        for (QList<qint64> keys; names.size() < 40; keys.clear()) {
            QVERIFY(m_search->sortedKeys(byName, sex, from, 0, 3, {}, &keys, &error));
            for (qint64 key : keys)
                names << name(key);
            if (keys.size() < 3)
                break;
            from = m_search->placeOf(keys.last(), byName, &error);
        }
        QTEST(names, "order");
    }

    void findSorted_data()
    {
        columns<QString, bool, QStringList>("typed", "backward", "found");

        // Seven names sort before N00000, so N00057 is the first row of the
        // second block read, and N04500 lies past the rows read before gathering.
        QTest::newRow("past a block, then past the rows read")
            << "vlad" << false << QStringList{"N00057", "N04500"};
        QTest::newRow("backward") << "vlad" << true << QStringList{"N04500", "N00057"};
        const auto names = [](int first, int last) {
            QStringList n;
            for (int k = first; k != last; k += first < last ? 1 : -1)
                n << QStringLiteral("N%1").arg(k, 5, 10, QLatin1Char('0'));
            return n;
        };
        QTest::newRow("many matches, all past the rows read")
            << "lupu" << false << names(4500, 4530);
        // Far on in the order of the names typed, and so also where another
        // column has the same word before them: among the first matches in the
        // full-text index's order, and past them.
        QTest::newRow("names typed, far on") << "n0598" << false << names(5980, 5990);
        QTest::newRow("names typed, far back") << "n001" << true << names(199, 169);
        QTest::newRow("names typed, another column first")
            << "n0599" << false << QStringList{"N05000"} + names(5990, 6000);
        QTest::newRow("names typed, another column first, added last")
            << "n05" << false << QStringList{"N02000"} + names(5000, 5029);
        QTest::newRow("long s, which the index folds, beside cedilla and comma")
            << "stef" << true << QStringList{"ſtefan", "ŞTEFĂNESCU", "ştefan", "ȘTEFAN"};
        QTest::newRow("a mark the index keeps") << "ana" << true << QStringList{"POPESCU-ŢĂRANU"};
    }

    void findSorted();

private:
    // Every match in turn from the start, each search starting after the last.
    QStringList walk(const QString &typed, const QString &sex, const PersonSearch::Order &order,
                     PersonSearch::Direction direction)
    {
        QStringList found;
        std::optional<PersonSearch::Place> from;
        DataError error;
        while (found.size() < 30) {
            const auto hit = m_search->find(PersonSearch::terms(typed), direction, from, sex, order,
                                            &error);
            if (!hit)
                break;
            found << name(*hit);
            from = m_search->placeOf(*hit, order, &error);
        }
        if (error.isError())
            found << error.describe();
        return found;
    }

    QString name(qint64 rowid) const
    {
        return m_reg->value("SELECT Nume FROM TBL_Zavoni WHERE rowid = ?", {rowid}).toString();
    }

    std::unique_ptr<TestRegister> m_reg;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<PersonSearch> m_search;
};

void TestPersonSearch::findSorted()
{
    QFETCH(QString, typed);
    QFETCH(bool, backward);
    QFETCH(QStringList, found);

    m_reg->exec("INSERT INTO TBL_Zavoni(CNP_C, Nume, sex, Prenume, Porecla1) "
                "WITH RECURSIVE k(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM k WHERE n < 5999) "
                "SELECT 1600101000000 + n, printf('N%05d', n), 'M', "
                "CASE WHEN n IN (57, 4500) THEN 'VLAD' WHEN n = 5000 THEN 'N0599' ELSE 'X' END, "
                "CASE WHEN n >= 4500 THEN 'LUPU' END FROM k");
    m_reg->addPerson("1900101400016", "ſtefan", "M");
    m_reg->addPerson("1900101400017", "ǠNA", "M");
    m_reg->addPerson("1900101400018", "N02000", "M", {{"Prenume", "N05"}});
    QCOMPARE(walk(typed, {}, {"Nume", false}, backward ? Dir::Backward : Dir::Forward), found);
}

QTEST_MAIN(TestPersonSearch)
#include "tst_personsearch.moc"
