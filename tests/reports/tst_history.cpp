#include "common/screensession.h"

#include "reports/historywindow.h"

#include <QApplication>
#include <QLabel>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <pwd.h>
#include <unistd.h>

namespace {

const QString P0 = "1800101123400", P1 = "2800101123401";

// What the history window shows when it opens, then closed: its title, then
// each row as "Operația Tabela Cheia | Înainte | După", or the empty text.
// The time of each row must be now's and the user the process's own.
QStringList shownHistory(const std::function<void()> &open)
{
    QStringList shown;
    const QString user = QString::fromLocal8Bit(getpwuid(geteuid())->pw_name);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *window = QApplication::activeModalWidget();
        if (!window || window->objectName() != "historyWindow")
            return;
        shown << window->windowTitle();
        if (auto *none = window->findChild<QLabel *>("historyEmpty"))
            shown << none->text();
        auto *table = window->findChild<QTableWidget *>("historyTable");
        for (int r = 0; table && r < table->rowCount(); ++r) {
            const auto at = [table, r](int column) { return table->item(r, column)->text(); };
            const QDateTime when = QDateTime::fromString(at(0), "dd.MM.yyyy HH:mm:ss");
            if (qAbs(when.secsTo(QDateTime::currentDateTime())) > 60 || at(1) != user)
                shown << "wrong time or user: " + at(0) + ' ' + at(1);
            shown << at(2) + ' ' + at(3) + ' ' + at(4) + " | " + at(5) + " | " + at(6);
        }
        window->close();
    });
    poll.start(10);
    open();
    return shown;
}

} // namespace

// Saves through the real screens are recorded with their cascades; other
// tools' writes succeed unrecorded.
class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void changesRecorded_data();
    void changesRecorded();
};

void TestHistory::changesRecorded_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("cnp");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("another tool's writes") << "" << P0
                                           << QStringList{"Nicio modificare înregistrată."};
    QTest::newRow("add") << "Command1|Text1=" + P1 + "|Text4=ana|Combo1=F|Command3" << P1
        << QStringList{"Adăugare Persoane 2 |  | CNP_C=" + P1 + "; Nume=ANA; sex=F; sector=1"};
    // The offence follows the CNP; the changes made under the old one stay the person's.
    QTest::newRow("change, then the CNP")
        << "Command2|Text4=ionescu|Command3|Command2|Text1=" + P1 + "|Command3" << P1
        << QStringList{"Modificare Persoane 1 | CNP_C=" + P0 + " | CNP_C=" + P1,
                       "Modificare Infracțiuni 1 | CNP_C=" + P0 + " | CNP_C=" + P1,
                       "Modificare Persoane 1 | Nume=POPESCU | Nume=IONESCU"};
    // The offence, its accomplice left with no other, its link and article go along.
    QTest::newRow("delete") << "?yes|Command5" << P0
        << QStringList{"Ștergere Persoane 1 | CNP_C=" + P0 + "; Nume=POPESCU; Prenume=ION; "
                       "Porecla1=ZED; sex=M | ",
                       "Ștergere Infracțiuni 1 | COD_infractiune=1; CNP_C=" + P0 + "; "
                       "Infractiune=Luare de mită; Pedeapsa=Amendă | ",
                       "Ștergere Complici 1 | CNP=1700101123402; Nume=IONESCU; sex=M | ",
                       "Ștergere Complicitate 1 | CNP=1700101123402; COD_INFRACTIUNE=1 | ",
                       "Ștergere Articole 1 | Cod_infractiune=1; Publicatie=Ziarul; "
                       "Articol=Text | "};
}

void TestHistory::changesRecorded()
{
    QFETCH(QString, script);
    QFETCH(QString, cnp);
    QFETCH(QStringList, shown);
    ScreenSession session;
    TestRegister &reg = session.reg;
    reg.addPerson(P0, "POPESCU", "M", {{"Prenume", "ION"}});
    const qint64 offence = reg.addOffence(P0, "Luare de mită", "Amendă");
    reg.addAccomplice("1700101123402", "IONESCU", "M", offence);
    reg.addArticle(offence, "Ziarul", "Text");
    reg.exec("UPDATE TBL_Zavoni SET Porecla1 = 'ZED'");
    QVERIFY(session.open(ScreenKind::Persons));
    session.run(script);
    const QString before = session.counter() + ' ' + session.text("Text1");
    QWidget *screen = session.form();
    // The current person's by its key, a person no longer shown as the menu would.
    const QStringList got = shownHistory([&] {
        if (session.text("Text1") == cnp)
            QTest::keyClick(screen, Qt::Key_H, Qt::ControlModifier);
        else
            HistoryWindow::run(screen, reg.path(), cnp);
    });
    QCOMPARE(got, QStringList("Istoric (C.N.P. " + cnp + ")") + shown);
    QCOMPARE(session.counter() + ' ' + session.text("Text1"), before);
    QCOMPARE(session.messages.count(), script.contains('?') ? 1 : 0);
}

QTEST_MAIN(TestHistory)
#include "tst_history.moc"
