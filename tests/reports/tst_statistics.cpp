#include "common/testregister.h"

#include "data/database.h"
#include "reports/statisticswindow.h"


#include <QChartView>
#include <QDir>
#include <QFile>
#include <QTableWidget>
#include <QTest>

#include <memory>

class TestStatistics : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void figures_data();
    void figures();
    void savedChart_data();
    void savedChart();

private:
    std::unique_ptr<TestRegister> m_reg;
    Figures::Register m_figures;
};

void TestStatistics::initTestCase()
{
    m_reg = std::make_unique<TestRegister>();
    TestRegister &reg = *m_reg;
    reg.addPerson("1800101123456", "POPESCU", "M", {{"Judet", "IAȘI"}});
    reg.addPerson("2800101123456", "IONESCU", "F", {{"Judet", "IAȘI"}});
    reg.addPerson("1800101123457", "VASILE", "M", {{"Judet", "TIMIȘ"}});
    reg.addPerson("1800101123458", "MARIN", "M");
    const char *types[] = {"Luare de mită", "Luare de mită", "Abuz în serviciu", "Dare de mită",
                           "Luare de mită"};
    const char *penalties[] = {"A", "D", "S", "A", "A"};
    for (int i = 0; i < 5; ++i)
        reg.addOffence("1800101123456", types[i], penalties[i], {{"Ispasit", i % 2}});
    DataError error;
    QVERIFY(Figures::read(*Database::open(reg.path(), &error), &m_figures, &error));
}

void TestStatistics::figures_data()
{
    QTest::addColumn<QString>("chart");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("where");
    QTest::newRow("type") << "OffencesByType" << "Luare de mită" << "TBL_Infractiuni"
                          << "Infractiune = 'Luare de mită'";
    QTest::newRow("fine") << "PenaltiesByKind" << "Amendă" << "TBL_Infractiuni"
                          << "Pedeapsa = 'A'";
    QTest::newRow("detention") << "PenaltiesByKind" << "Detenție" << "TBL_Infractiuni"
                               << "Pedeapsa = 'D'";
    QTest::newRow("other") << "PenaltiesByKind" << "Altă sancțiune" << "TBL_Infractiuni"
                           << "Pedeapsa = 'S'";
    QTest::newRow("served") << "Served" << "Ispășită" << "TBL_Infractiuni" << "Ispasit <> 0";
    QTest::newRow("not served") << "Served" << "Neispășită" << "TBL_Infractiuni"
                                << "Ispasit = 0";
    QTest::newRow("county") << "PersonsByCounty" << "IAȘI" << "TBL_Zavoni" << "Judet = 'IAȘI'";
    QTest::newRow("no county") << "PersonsByCounty" << "(necompletat)" << "TBL_Zavoni"
                               << "Judet IS NULL";
    QTest::newRow("all persons") << "PersonsByCounty" << "Total" << "TBL_Zavoni" << "1";
}

void TestStatistics::figures()
{
    QFETCH(QString, chart);
    QFETCH(QString, label);
    QFETCH(QString, table);
    QFETCH(QString, where);
    StatisticsWindow window(m_figures);
    auto *numbers = window.findChild<QTableWidget *>(chart + "Numbers");
    QVERIFY(numbers);
    const QList<QTableWidgetItem *> found = numbers->findItems(label, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    QCOMPARE(numbers->item(found.first()->row(), 1)->text().toInt(), m_reg->count(table, where));
}

void TestStatistics::savedChart_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("magic");
    QTest::newRow("PNG") << "grafic.png" << QByteArray("\x89PNG");
    QTest::newRow("PDF") << "grafic.pdf" << QByteArray("%PDF");
}

void TestStatistics::savedChart()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, magic);
    StatisticsWindow window(m_figures);
    const QString target = QDir(m_reg->folder()).filePath(name);
    QString problem;
    QVERIFY(StatisticsWindow::writeChart(window.findChild<QChartView *>("ServedChart"), target,
                                         &problem));
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(magic.size()) == magic);
    QCOMPARE(file.permissions() & 0x0077, 0); // none for group or others
}

QTEST_MAIN(TestStatistics)
#include "tst_statistics.moc"
