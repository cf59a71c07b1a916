#include "common/screensession.h"

#include <QtTest>
#include <QtWidgets>

namespace {

const QString Cnp = QStringLiteral("1750312400017");
const QString Controls = "Command1 Command2 Command3 Command4 Command5 Command6 Data1 DBGrid1 "
                         "Text1 Text2 Text3 Text4";
const QString Browse = QStringLiteral("Command1 Command2 Command5 Command6 Data1 DBGrid1");
const QString BrowseEmpty = QStringLiteral("Command1 Command6");
const QString Editing = QStringLiteral("Command3 Command4 Command6 Text1 Text2 Text3 Text4");

// The articles of the second of three offences; the others have one each, so
// that one landing under the wrong offence shows.
void openSecond(ScreenSession &s, const QStringList &articles)
{
    s.reg.addPerson(Cnp, "POPESCU");
    QList<qint64> codes;
    for (const char *type : {"Luare de mită", "Trafic de influentă", "Abuz în serviciu"})
        codes << s.reg.addOffence(Cnp, type, "A");
    s.reg.addArticle(codes.at(0), "ZIAR", "Alt articol");
    s.reg.addArticle(codes.at(2), "ZIAR", "Alt articol");
    for (const QString &text : articles)
        s.reg.addArticle(codes.at(1), "ZIAR " + text, text);
    QVERIFY(s.open(ScreenKind::Articles, 0, 1));
}

// A column of the second offence's articles, in the order stored.
QString stored(ScreenSession &s, const QString &column = "Articol")
{
    return s.reg.value(QString("SELECT group_concat(%1, '|') FROM (SELECT %1 FROM TBL_Articole "
                               "WHERE Cod_infractiune = 2 ORDER BY rowid)").arg(column))
        .toString();
}

} // namespace

class TestArticles : public QObject
{
    Q_OBJECT

private slots:
    void caseRules_data();
    void caseRules()
    {
        QFETCH(QString, box);
        QFETCH(QString, kept);
        ScreenSession s;
        openSecond(s, {});
        s.run("Command1|Text1=text|" + box + "=" + cell<QString>("typed"));
        UiDriver::focus(s.form(), box == "Text2" ? "Text3" : "Text2");
        QCOMPARE(s.text(box), kept);
        s.run("Command3");
        QCOMPARE(s.boxes(), QString());
        QCOMPARE(stored(s, cell<QString>("field")), kept);
    }

    void memoLimit_data()
    {
        columns<int, int, bool, int>("typed", "pasted", "overAll", "kept");
        QTest::newRow("typed past the limit") << 260 << 0 << false << 255;
        QTest::newRow("pasted past the limit") << 250 << 10 << false << 255;
        QTest::newRow("pasted over the whole text") << 255 << 30 << true << 30;
    }

    // The article box takes no more than its 255 letters from the keyboard or the
    // clipboard; what is pasted past them is cut off.
    void memoLimit()
    {
        QFETCH(int, pasted);
        ScreenSession s;
        openSecond(s, {});
        s.run("Command1|Text1=" + QString(cell<int>("typed"), QChar(u'ă')));
        QWidget *box = s.form()->findChild<QWidget *>("Text1");
        QGuiApplication::clipboard()->setText(QString(pasted, 'p'));
        if (cell<bool>("overAll"))
            QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        if (pasted > 0)
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QTEST(int(s.text("Text1").size()), "kept");
        s.run("Command3");
        QCOMPARE(stored(s), s.text("Text1"));
    }

    void workflow_data();
    void workflow()
    {
        QFETCH(QString, state);
        ScreenSession s;
        openSecond(s, cell<QStringList>("articles"));
        s.run(cell<QString>("script"));

        QTEST(s.boxes(), "boxes");
        QCOMPARE(s.state(Controls), state);
        QTEST(s.counter(), "counter");
        QTEST(s.text("Text1"), "shown");
        if (s.boxes().startsWith("! Text articol."))
            QCOMPARE(s.focus(), QStringLiteral("Text1"));
        // Saved under the offence that is current below; the others keep their one article each.
        QTEST(stored(s), "stored");
        QCOMPARE(s.reg.count("TBL_Articole", "Cod_infractiune <> 2"), 2);
    }
};

void TestArticles::caseRules_data()
{
    columns<QString, QString, QString, QString>("box", "field", "typed", "kept");
    QTest::newRow("publication") << "Text2" << "Publicatie" << "  jurnalul ăla " << "JURNALUL ĂLA";
    QTest::newRow("author") << "Text3" << "Autor" << " ștefan\t albu  " << "ȘTEFAN\t ALBU";
    QTest::newRow("date as typed") << "Text4" << "Data_aparitiei" << " 3.4.2005 " << " 3.4.2005 ";
    QTest::newRow("article keeps its case") << "Text1" << "Articol" << " Mită în X " << "Mită în X";
    // Pasted: a line break in one line is a blank; a text cut between whole characters.
    QTest::newRow("publication from a cell") << "Text2" << "Publicatie" << "^ziar\r\n" << "ZIAR";
    const QString letters(254, 'a'), emoji = "\U0001F600";
    QTest::newRow("article at the limit") << "Text1" << "Articol" << "^" + letters + emoji + emoji
                                          << letters + emoji;
}

void TestArticles::workflow_data()
{
    columns<QStringList, QString, QString, QString, QString, QString, QString>(
        "articles", "script", "counter", "state", "shown", "stored", "boxes");
    using L = QStringList;
    const QString refused = "! Text articol. Nu ati introdus textul articolului ! [OK]";
    const QString askDelete = Boxes::askDelete("acest articol");
    const QString failed = "x Eroare. Articolul nu a putut fi salvat. [OK]";
    QTest::newRow("add to an empty list") << L{} << "Command1|Text1=Nou|Command3" << "1/1"
                                          << Browse << "Nou" << "Nou" << "";
    QTest::newRow("article of blanks refused") << L{"B1"} << "Command1|Text1=   |Command3"
                                               << "1/1" << Editing << "" << "B1" << refused;
    QTest::newRow("save after adding") << L{"B1", "B2", "B3"} << "Command1|Text1=Nou|Command3"
                                       << "4/4" << Browse << "Nou" << "B1|B2|B3|Nou" << "";
    QTest::newRow("save after changing the first")
        << L{"B1", "B2", "B3"} << "Command2|Text1=Nou|Command3" << "3/3" << Browse << "B3"
        << "Nou|B2|B3" << "";
    QTest::newRow("delete one of several") << L{"B1", "B2", "B3"} << "Next|?yes|Command5"
                                           << "1/2" << Browse << "B1" << "B1|B3" << askDelete;
    // The grid stays enabled: it only lists nothing.
    QTest::newRow("delete the only one, add") << L{"B1"}
        << "?yes|Command5|Command1|Text1=Nou|Command3" << "1/1" << Browse << "Nou" << "Nou"
        << askDelete;
    QTest::newRow("delete the only one") << L{"B1"} << "?yes|Command5" << "0/0"
                                         << "Command1 Command6 DBGrid1" << "" << "" << askDelete;
    QTest::newRow("cancel adding to an empty list") << L{} << "Command1|Text1=X|Command4"
                                                    << "0/0" << BrowseEmpty << "" << "" << "";
    QTest::newRow("failed save, then saved") << L{"B1"} << "Command1|Text1=X|!INSERT|Command3|"
                                                "!|Command3" << "2/2" << Browse << "X" << "B1|X"
                                             << failed;
}

QTEST_MAIN(TestArticles)
#include "tst_articles.moc"
