#include "common/screensession.h"

#include "data/catalogue.h"

#include <QtTest>

namespace {

// The tables and their sizes: a literal run as SQL would change them.
const QString Shape = "SELECT group_concat(name) || (SELECT count(*) FROM TBL_Zavoni) || "
                      "(SELECT count(*) FROM TBL_Infractiuni) || (SELECT count(*) FROM "
                      "TBL_Complici) || (SELECT count(*) FROM TBL_Complicitate) || "
                      "(SELECT count(*) FROM TBL_Articole) FROM sqlite_master";

// Every column of text of the table holds the value; the others as given.
QVariantMap row(const QString &table, const QVariant &value, QVariantMap fixed)
{
    for (const Catalogue::Field &field : Catalogue::find(table)->fields) {
        if (field.type == Catalogue::FieldType::Text && !fixed.contains(field.name))
            fixed.insert(field.name, value);
    }
    return fixed;
}

} // namespace

// Rows that another tool wrote into the register: quotes, SQL, control
// characters, text far beyond the boxes, NULLs. Every screen must show them as
// plain values, store only the box the operator changed, and never run them as SQL.
class TestBadText : public QObject
{
    Q_OBJECT

private slots:
    void screensChangeOneBox_data()
    {
        columns<QVariant, QString>("text", "cnp");
        const QString controls = QStringLiteral("\tA\x01" "B\r\nC\x1b[31mD\x7f") + QChar(0) + "E ";
        QTest::newRow("quotes") << QVariant("\"POPESCU\" O'BRIEN '") << "1700101400011";
        QTest::newRow("SQL text") << QVariant("'); DROP TABLE TBL_Articole; --")
                                  << "1\"; DROP TABLE TBL_Zavoni; --";
        QTest::newRow("control characters") << QVariant(controls) << "17001\t01400\x01" "1";
        QTest::newRow("far too long") << QVariant(QString(1000, QChar(u'Ă')) + "SFÂRSIT")
                                      << QString(300, '7');
        QTest::newRow("NULL everywhere") << QVariant() << "1700101400011";
    }

    // Each screen shows the row (a line break as a blank) and stores only the box
    // changed, unless its own check refuses a row without any text.
    void screensChangeOneBox()
    {
        QFETCH(QVariant, text);
        QFETCH(QString, cnp);
        ScreenSession s;
        s.reg.addPerson("1600101400019", "IONESCU");
        s.reg.insert("TBL_Zavoni", row("TBL_Zavoni", text, {{"CNP_C", cnp}, {"sex", "M"},
                                                            {"sector", 1}}));
        const qint64 code = s.reg.insert("TBL_Infractiuni", row("TBL_Infractiuni", text, {
            {"CNP_C", cnp}, {"Infractiune", "FURT"}, {"Pedeapsa", "A"}, {"Suspendare", 1},
            {"Ispasit", 0}}));
        s.reg.insert("TBL_Complici", row("TBL_Complici", text, {{"CNP", cnp}, {"sex", "M"},
                                                               {"sector", 1}}));
        s.reg.insert("TBL_Complicitate", {{"CNP", cnp}, {"COD_INFRACTIUNE", code}});
        s.reg.insert("TBL_Articole", row("TBL_Articole", text, {{"Cod_infractiune", code}}));
        const QVariant before = s.reg.value(Shape);
        const struct {
            ScreenKind kind;
            QString table;
            qint64 rowid;
            QString shown, changed, typed, refusal;
        } screens[] = {
            {ScreenKind::Persons, "TBL_Zavoni", 2, "Text14", "Text4 Nume", "NOUL", {}},
            {ScreenKind::Offences, "TBL_Infractiuni", code, "Text4", "Text3 Amenda", "750",
             "Descrierea infractiunii."},
            {ScreenKind::Accomplices, "TBL_Complici", 1, "Text12", "Text4 Nume", "COMPLICE", {}},
            {ScreenKind::Articles, "TBL_Articole", 1, "Text3", "Text2 Publicatie", "ZIARUL NOU",
             "Text articol."},
        };
        for (const auto &c : screens) {
            QVERIFY(s.open(c.kind, -1));
            QCOMPARE(s.counter(), QString(c.kind == ScreenKind::Persons ? "2/2" : "1/1"));
            s.form()->grab();
            QCOMPARE(s.text(c.shown), text.toString().replace("\r\n", " "));
            if (c.kind == ScreenKind::Persons || c.kind == ScreenKind::Accomplices)
                QCOMPARE(s.text("Text1"), cnp);
            QStringList want = s.reg.row(c.table, c.rowid);
            const QString box = c.changed.section(' ', 0, 0), column = c.changed.section(' ', 1);
            s.run("Command2|" + box + "=" + c.typed + "|Command3");
            if (text.isNull() && !c.refusal.isEmpty()) {
                QCOMPARE(s.messages.last().title, c.refusal);
                s.run("Command4");
            } else {
                want.replaceInStrings(QRegularExpression("^" + column + "=[\\s\\S]*"),
                                      column + "=" + c.typed);
            }
            QCOMPARE(s.reg.row(c.table, c.rowid), want);
            if (c.kind == ScreenKind::Accomplices)
                s.run("Command6");
        }
        QCOMPARE(s.reg.value(Shape), before);
    }
};

QTEST_MAIN(TestBadText)
#include "tst_badtext.moc"
