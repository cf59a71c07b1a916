#include "app/screenchain.h"
#include "common/scriptedmessages.h"
#include "common/testregister.h"
#include "common/uidriver.h"
#include "widgets/datacontrol.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

namespace {

const QString Cnp = QStringLiteral("1750312400017");
const QStringList OffenceTypes = {"Luare de mită", "Trafic de influentă", "Abuz în serviciu"};
const QString BrowseWithRows = QStringLiteral("Command1 Command2 Command5 Command6 Data1 DBGrid1");
const QString BrowseEmpty = QStringLiteral("Command1 Command6");
const QString Editing = QStringLiteral("Command3 Command4 Command6 Text1 Text2 Text3 Text4");

// One person with three offences. The first and the last have an article each,
// so that an article landing under the wrong offence shows.
struct Road
{
    Road(const QStringList &articlesOfSecond, int offence = 1)
    {
        reg.addPerson(Cnp, "POPESCU");
        for (int i = 0; i < OffenceTypes.size(); ++i)
            codes << reg.addOffence(Cnp, OffenceTypes.at(i), "A");
        reg.addArticle(codes.at(0), "ZIAR", "Alt articol");
        reg.addArticle(codes.at(2), "ZIAR", "Alt articol");
        for (const QString &text : articlesOfSecond)
            reg.addArticle(codes.at(1), "ZIAR " + text, text);

        // As the operator goes: persons, "Infractiuni comise", the arrows of
        // the offences list, "Articole".
        chain.open(ScreenKind::Persons);
        QWidget *persons = chain.screen(ScreenKind::Persons);
        UiDriver::activate(persons);
        UiDriver::click(persons, "Command9");
        QWidget *offences = chain.screen(ScreenKind::Offences);
        UiDriver::activate(offences);
        for (int i = 0; i < offence; ++i)
            QTest::mouseClick(arrow(offences, "Next"), Qt::LeftButton);
        UiDriver::click(offences, "Command8");
        form4 = chain.screen(ScreenKind::Articles);
        UiDriver::activate(form4);
    }

    static QToolButton *arrow(QWidget *screen, const char *name)
    {
        return screen->findChild<DataControl *>("Data1")->findChild<QToolButton *>(name);
    }

    QString counter() { return form4->findChild<DataControl *>("Data1")->caption(); }

    QString text(const QString &name)
    {
        QWidget *w = form4->findChild<QWidget *>(name);
        if (auto *line = qobject_cast<QLineEdit *>(w))
            return line->text();
        if (auto *plain = qobject_cast<QPlainTextEdit *>(w))
            return plain->toPlainText();
        return qobject_cast<QLabel *>(w)->text();
    }

    // The controls that take input, as one readable string.
    QString state()
    {
        if (!chain.screen(ScreenKind::Articles))
            return QStringLiteral("closed");
        QStringList on;
        for (const char *name : {"Command1", "Command2", "Command3", "Command4", "Command5",
                                 "Command6", "Data1", "DBGrid1"}) {
            if (form4->findChild<QWidget *>(name)->isEnabled())
                on << name;
        }
        for (const char *name : {"Text1", "Text2", "Text3", "Text4"}) {
            if (!form4->findChild<QWidget *>(name)->property("readOnly").toBool())
                on << name;
        }
        return on.join(' ');
    }

    // The article texts stored under the second offence, in the order stored.
    QStringList stored()
    {
        return reg.value("SELECT group_concat(Articol, '|') FROM (SELECT Articol FROM "
                         "TBL_Articole WHERE Cod_infractiune = ? ORDER BY rowid)",
                         {codes.at(1)})
            .toString()
            .split('|', Qt::SkipEmptyParts);
    }

    TestRegister reg;
    QList<qint64> codes;
    ScriptedMessages messages;
    ScreenChain chain;
    QWidget *form4 = nullptr;
};

QString focusName()
{
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

} // namespace

class TestArticles : public QObject
{
    Q_OBJECT

private slots:
    void opening_data();
    void opening();
    void caseRules_data();
    void caseRules();
    void workflow_data();
    void workflow();
};

void TestArticles::opening_data()
{
    QTest::addColumn<QStringList>("articles");
    QTest::addColumn<QString>("counter");
    QTest::addColumn<QString>("controls");
    QTest::newRow("offence without articles") << QStringList{} << "0/0" << BrowseEmpty;
    QTest::newRow("offence with articles") << QStringList{"B1", "B2"} << "1/2" << BrowseWithRows;
}

void TestArticles::opening()
{
    QFETCH(QStringList, articles);
    QFETCH(QString, counter);
    QFETCH(QString, controls);
    Road road(articles);
    QVERIFY(road.form4);
    QVERIFY(road.form4->windowTitle().startsWith("Articole din ziare - "));
    QCOMPARE(road.text("Label25"), OffenceTypes.at(1));
    QCOMPARE(road.text("Label11"), Cnp);
    QCOMPARE(road.text("Label12"), QStringLiteral("POPESCU"));
    QCOMPARE(road.counter(), counter);
    QCOMPARE(road.state(), controls);
    QCOMPARE(road.text("Text1"), articles.value(0));
    QCOMPARE(focusName(), QStringLiteral("Command1"));
    QCOMPARE(road.messages.count(), 0);
}

void TestArticles::caseRules_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("publication") << "Text2" << "Publicatie" << "  jurnalul ăla " << "JURNALUL ĂLA";
    QTest::newRow("author") << "Text3" << "Autor" << " ștefan albu  " << "ȘTEFAN ALBU";
    QTest::newRow("date as typed") << "Text4" << "Data_aparitiei" << " 3.4.2005 " << " 3.4.2005 ";
    QTest::newRow("article keeps its case") << "Text1" << "Articol" << " Mită în X " << "Mită în X";
    // Pasted: a line break in one line is a blank; a text cut between whole characters.
    QTest::newRow("publication from a cell") << "Text2" << "Publicatie" << "^ziar\r\n" << "ZIAR";
    const QString letters(254, 'a'), emoji = "\U0001F600";
    QTest::newRow("article at the limit") << "Text1" << "Articol" << "^" + letters + emoji + emoji
                                          << letters + emoji;
}

void TestArticles::caseRules()
{
    QFETCH(QString, box);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    Road road({});
    QVERIFY(road.form4);
    UiDriver::click(road.form4, "Command1");
    UiDriver::type(road.form4, "Text1", "text");
    UiDriver::type(road.form4, box, typed);
    UiDriver::focus(road.form4, box == "Text2" ? "Text3" : "Text2");
    QCOMPARE(road.text(box), kept);
    UiDriver::click(road.form4, "Command3");
    QCOMPARE(road.messages.count(), 0);
    QCOMPARE(road.reg.value(QString("SELECT %1 FROM TBL_Articole WHERE Cod_infractiune = ?")
                                .arg(field),
                            {road.codes.at(1)})
                 .toString(),
             kept);
}

void TestArticles::workflow_data()
{
    // steps: a control to click, "Next" (the arrow), "Text1=..." (typed), "Yes"/"No" (the
    // answer to the next question), "refuse INSERT"/"refuse DELETE" (the engine refuses
    // the next such change), "allow" (it accepts again).
    QTest::addColumn<QStringList>("articles");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("counter");
    QTest::addColumn<QString>("controls");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("titles");
    using L = QStringList;
    QTest::newRow("add to an empty list") << L{} << L{"Command1", "Text1=Nou", "Command3"}
        << "1/1" << BrowseWithRows << "Nou" << L{"Nou"} << L{};
    QTest::newRow("empty article refused") << L{"B1"} << L{"Command1", "Command3"}
        << "1/1" << Editing << "" << L{"B1"} << L{"Text articol."};
    QTest::newRow("article of blanks refused") << L{"B1"} << L{"Command1", "Text1=   ", "Command3"}
        << "1/1" << Editing << "" << L{"B1"} << L{"Text articol."};
    QTest::newRow("save after adding")
        << L{"B1", "B2", "B3"} << L{"Command1", "Text1=Nou", "Command3"}
        << "4/4" << BrowseWithRows << "Nou" << L{"B1", "B2", "B3", "Nou"} << L{};
    QTest::newRow("save after changing the first")
        << L{"B1", "B2", "B3"} << L{"Command2", "Text1=Nou", "Command3"}
        << "3/3" << BrowseWithRows << "B3" << L{"Nou", "B2", "B3"} << L{};
    QTest::newRow("delete one of several") << L{"B1", "B2", "B3"} << L{"Next", "Yes", "Command5"}
        << "1/2" << BrowseWithRows << "B1" << L{"B1", "B3"} << L{"Stergere."};
    QTest::newRow("delete answered no") << L{"B1", "B2"} << L{"Next", "No", "Command5"}
        << "2/2" << BrowseWithRows << "B2" << L{"B1", "B2"} << L{"Stergere."};
    // The grid stays enabled: it only lists nothing.
    QTest::newRow("delete the only one") << L{"B1"} << L{"Yes", "Command5"}
        << "0/0" << "Command1 Command6 DBGrid1" << "" << L{} << L{"Stergere."};
    QTest::newRow("add after deleting the only one")
        << L{"B1"} << L{"Yes", "Command5", "Command1", "Text1=Nou", "Command3"}
        << "1/1" << BrowseWithRows << "Nou" << L{"Nou"} << L{"Stergere."};
    QTest::newRow("cancel adding to an empty list") << L{} << L{"Command1", "Text1=X", "Command4"}
        << "0/0" << BrowseEmpty << "" << L{} << L{};
    QTest::newRow("cancel changing") << L{"B1", "B2"} << L{"Command2", "Text1=X", "Command4"}
        << "1/2" << BrowseWithRows << "B1" << L{"B1", "B2"} << L{};
    QTest::newRow("close while adding, no stays")
        << L{"B1"} << L{"Command1", "Text1=X", "No", "Command6"}
        << "1/1" << Editing << "X" << L{"B1"} << L{"Închidere."};
    QTest::newRow("close while changing, yes closes")
        << L{"B1"} << L{"Command2", "Text1=X", "Yes", "Command6"}
        << "" << "closed" << "" << L{"B1"} << L{"Închidere."};
    QTest::newRow("failed save keeps the article")
        << L{"B1"} << L{"Command1", "Text1=X", "refuse INSERT", "Command3"}
        << "1/1" << Editing << "X" << L{"B1"} << L{"Eroare."};
    QTest::newRow("failed save, then saved")
        << L{"B1"} << L{"Command1", "Text1=X", "refuse INSERT", "Command3", "allow", "Command3"}
        << "2/2" << BrowseWithRows << "X" << L{"B1", "X"} << L{"Eroare."};
    QTest::newRow("failed delete keeps the article")
        << L{"B1", "B2"} << L{"refuse DELETE", "Yes", "Command5"}
        << "1/2" << BrowseWithRows << "B1" << L{"B1", "B2"} << L{"Stergere.", "Eroare."};
}

void TestArticles::workflow()
{
    QFETCH(QStringList, articles);
    QFETCH(QStringList, steps);
    QFETCH(QString, counter);
    QFETCH(QString, controls);
    QFETCH(QString, shown);
    QFETCH(QStringList, stored);
    QFETCH(QStringList, titles);
    Road road(articles);
    QVERIFY(road.form4);
    for (const QString &step : steps) {
        if (step == "Next")
            QTest::mouseClick(Road::arrow(road.form4, "Next"), Qt::LeftButton);
        else if (step.startsWith("Text"))
            UiDriver::type(road.form4, step.section('=', 0, 0), step.section('=', 1));
        else if (step == "Yes" || step == "No")
            road.messages.answer(step == "Yes" ? Messages::Answer::Yes : Messages::Answer::No);
        else if (step.startsWith("refuse"))
            road.reg.exec("CREATE TRIGGER refuse BEFORE " + step.section(' ', 1)
                          + " ON TBL_Articole BEGIN SELECT RAISE(ABORT, 'refuzat'); END");
        else if (step == "allow")
            road.reg.exec("DROP TRIGGER refuse");
        else
            UiDriver::click(road.form4, step);
    }

    QStringList shownTitles;
    for (const Messages::Request &request : road.messages.shown())
        shownTitles << request.title;
    QCOMPARE(shownTitles, titles);
    QCOMPARE(road.state(), controls);
    if (controls != "closed") {
        QCOMPARE(road.counter(), counter);
        QCOMPARE(road.text("Text1"), shown);
    }
    if (titles.value(0) == "Text articol.")
        QCOMPARE(focusName(), QStringLiteral("Text1"));
    // Saved under the offence that is current below, on adding and on changing
    // alike; the other offences keep their one article each.
    QCOMPARE(road.stored(), stored);
    QCOMPARE(road.reg.count("TBL_Articole"), stored.size() + 2);
}

QTEST_MAIN(TestArticles)
#include "tst_articles.moc"
