#include "data/dialect.h"
#include "data/sourcetexts.h"

#include <QTest>

class TestDialect : public QObject
{
    Q_OBJECT

private slots:
    void sourcesCompile_data();
    void sourcesCompile();
    void rejected_data();
    void rejected();
    void literalsAreBound();
};

void TestDialect::sourcesCompile_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("writeTable");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QVariantList>("params");
    QTest::newRow("table") << "TBL_Zavoni" << "TBL_Zavoni" << 20 << QVariantList{};
    QTest::newRow("table any case") << "tbl_zavoni" << "TBL_Zavoni" << 20 << QVariantList{};
    QTest::newRow("women") << "Q_Zavonii_de_sex_feminin" << "TBL_Zavoni" << 20 << QVariantList{};
    QTest::newRow("offences") << SourceTexts::OffencesOfPerson + "\"1234567890123\""
                              << "TBL_Infractiuni" << 11 << QVariantList{"1234567890123"};
    QTest::newRow("accomplices") << SourceTexts::AccomplicesOfOffence + "125" << "TBL_Complici"
                                 << 19 << QVariantList{125};
    QTest::newRow("accomplices women")
        << SourceTexts::AccomplicesOfOffence + "7" + SourceTexts::AccomplicesSexFilter + "\"F\""
        << "TBL_Complici" << 19 << QVariantList{7, "F"};
    QTest::newRow("articles") << SourceTexts::ArticlesOfOffence + "4096" << "TBL_Articole" << 5
                              << QVariantList{4096};
}

void TestDialect::sourcesCompile()
{
    QFETCH(QString, text);
    QFETCH(QString, writeTable);
    QFETCH(int, columns);
    QFETCH(QVariantList, params);
    Dialect::Plan plan;
    DataError error;
    QVERIFY2(Dialect::compile(text, &plan, &error), qPrintable(error.describe()));
    QCOMPARE(plan.writeTable, writeTable);
    QCOMPARE(plan.columns.size(), columns);
    QCOMPARE(plan.memberParams.size(), params.size());
    for (int i = 0; i < params.size(); ++i)
        QCOMPARE(plan.memberParams.at(i).toString(), params.at(i).toString());
}

void TestDialect::rejected_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::newRow("empty") << "" << int(EngineError::Syntax);
    QTest::newRow("unknown table") << "TBL_Nimic" << int(EngineError::UnknownObject);
    QTest::newRow("unknown field")
        << "SELECT TBL_Zavoni.Nimic FROM TBL_Zavoni" << int(EngineError::UnknownField);
    QTest::newRow("code missing") << SourceTexts::ArticlesOfOffence << int(EngineError::Syntax);
    QTest::newRow("unterminated")
        << SourceTexts::OffencesOfPerson + "\"123" << int(EngineError::Syntax);
    QTest::newRow("injection after quote")
        << SourceTexts::OffencesOfPerson + "\"1\"; DROP TABLE TBL_Zavoni; --\""
        << int(EngineError::Syntax);
    QTest::newRow("query in from") << "SELECT * FROM Q_Zavonii_de_sex_feminin"
                                   << int(EngineError::UnknownObject);
}

void TestDialect::rejected()
{
    QFETCH(QString, text);
    QFETCH(int, number);
    Dialect::Plan plan;
    DataError error;
    QVERIFY(!Dialect::compile(text, &plan, &error));
    QCOMPARE(error.number, number);
    QVERIFY(!error.text.isEmpty());
}

void TestDialect::literalsAreBound()
{
    // A CNP holding quotes and SQL reaches the engine only as a parameter.
    const QString cnp = QStringLiteral("1\"\" OR 1=1 --");
    Dialect::Plan plan;
    DataError error;
    QVERIFY(Dialect::compile(SourceTexts::OffencesOfPerson + "\"" + cnp + "\"", &plan, &error));
    QCOMPARE(plan.memberParams, QVariantList{QStringLiteral("1\" OR 1=1 --")});
    QVERIFY(!plan.memberWhere.contains("OR"));
}

QTEST_GUILESS_MAIN(TestDialect)
#include "tst_dialect.moc"
