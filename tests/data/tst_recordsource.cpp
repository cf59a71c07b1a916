#include "common/columns.h"
#include "data/recordsource.h"
#include "data/sourcetexts.h"

namespace {

// What was recognised: the table, its writable and all columns, the key; or
// the error's number.
QString summary(const std::optional<RecordSource> &source, const DataError &error)
{
    if (!source)
        return QString::number(error.number);
    const QList<Column> columns = source->columns();
    const auto writable = std::count_if(columns.cbegin(), columns.cend(),
                                        [](const Column &c) { return c.writable; });
    return QStringLiteral("%1 %2/%3 %4[%5]%6")
        .arg(source->table())
        .arg(writable)
        .arg(columns.size())
        .arg(source->object ? source->object->name : QString::number(source->code), source->cnp,
             source->sex.value_or(QString()));
}

} // namespace

// The record-source texts the data layer takes, and the ones it refuses.
class TestRecordSource : public QObject
{
    Q_OBJECT

private slots:
    void recognise_data();
    void recognise()
    {
        QFETCH(QString, text);
        DataError error;
        const std::optional<RecordSource> source = RecordSource::recognise(text, &error);
        QTEST(summary(source, error), "expected");
        QCOMPARE(error.text.isEmpty(), bool(source));
        // An empty key is an empty text, which selects rows, not a missing value.
        if (source && source->kind == RecordSource::Kind::OffencesOfPerson)
            QVERIFY(!source->cnp.isNull());
    }
};

void TestRecordSource::recognise_data()
{
    columns<QString, QString>("text", "expected");
    const QString &offences = SourceTexts::OffencesOfPerson;
    const QString &accomplices = SourceTexts::AccomplicesOfOffence;
    const QString &articles = SourceTexts::ArticlesOfOffence;
    const QString women = SourceTexts::AccomplicesSexFilter + SourceTexts::quotedKey("F");

    QTest::newRow("table") << "TBL_Zavoni" << "TBL_Zavoni 20/20 TBL_Zavoni[]";
    QTest::newRow("any case") << " tbl_ZAVONI " << "TBL_Zavoni 20/20 TBL_Zavoni[]";
    QTest::newRow("query") << "Q_Zavonii_de_sex_feminin"
                           << "TBL_Zavoni 20/20 Q_Zavonii_de_sex_feminin[]";
    QTest::newRow("links") << "TBL_Complicitate" << "TBL_Complicitate 2/2 TBL_Complicitate[]";
    QTest::newRow("offences") << offences + "\"1234567890123\""
                              << "TBL_Infractiuni 10/11 0[1234567890123]";
    QTest::newRow("offences, SQL in the CNP") << offences + "\"1\"\" OR 1=1 --\""
                                              << "TBL_Infractiuni 10/11 0[1\" OR 1=1 --]";
    QTest::newRow("offences, empty CNP") << offences + "\"\"" << "TBL_Infractiuni 10/11 0[]";
    QTest::newRow("accomplices") << accomplices + "125" << "TBL_Complici 18/19 125[]";
    QTest::newRow("accomplices, women") << accomplices + "7" + women << "TBL_Complici 18/19 7[]F";
    QTest::newRow("articles") << articles + "4096" << "TBL_Articole 5/5 4096[]";

    const QString syntax = QString::number(EngineError::Syntax);
    QTest::newRow("empty") << "  " << syntax;
    QTest::newRow("unknown table") << "TBL_Nimic" << QString::number(EngineError::UnknownObject);
    QTest::newRow("other select") << "SELECT * FROM Q_Zavonii_de_sex_feminin" << syntax;
    QTest::newRow("code missing") << articles << syntax;
    QTest::newRow("code with a fraction") << articles + "12.5" << syntax;
    QTest::newRow("code too large") << articles + "99999999999999999999" << syntax;
    QTest::newRow("CNP unquoted") << offences + "123" << syntax;
    QTest::newRow("CNP unterminated") << offences + "\"123" << syntax;
    QTest::newRow("statement after the CNP")
        << offences + "\"1\"; DROP TABLE TBL_Zavoni; --\"" << syntax;
    QTest::newRow("condition after the code") << accomplices + "7 OR 1=1" << syntax;
    QTest::newRow("other filter") << accomplices + "7 AND TBL_Complici.Nume=\"X\"" << syntax;
}

QTEST_GUILESS_MAIN(TestRecordSource)
#include "tst_recordsource.moc"
