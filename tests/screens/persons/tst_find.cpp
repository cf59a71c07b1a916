#include "common/screensession.h"
#include "widgets/datacontrol.h"
#include "widgets/cnphint.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

namespace {

struct Session : ScreenSession
{
    explicit Session(bool accomplices)
    {
        const QList<QStringList> persons = {{"1850315401231", "ȘTEFAN", "ION", "M"},
                                            {"2850315401234", "POPESCU", "ANA", "F"},
                                            {"2850315401235", "ŞTEFĂNESCU", "MARIA", "F"},
                                            {"1850315401236", "ȚIRIAC", "ION", "M"},
                                            {"2850315401237", "ALBU", "ŞTEFANIA", "F"}};
        for (const QStringList &p : persons)
            reg.addPerson(p[0], p[1], p[3], {{"Prenume", p[2]}});
        const qint64 offence = reg.addOffence(persons[0][0], "FURT", "A");
        reg.addAccomplice("1700101400011", "POPA", "M", offence);
        reg.addAccomplice("1700101400012", "ŞERBAN", "M", offence);
        reg.addAccomplice("2700101400013", "ȚONE", "F", offence);
        open(accomplices ? ScreenKind::Accomplices : ScreenKind::Persons);
    }

    // A key sequence ("Ctrl+F", "F3", "Esc"...) to the focused control,
    // "find=text" typed into the strip, "goto=N" typed after Ctrl+G and
    // Enter, "sql=..." run by another connection, anything else clicked.
    void play(const QString &script)
    {
        QWidget *form = this->form();
        for (const QString &step : script.split('|', Qt::SkipEmptyParts)) {
            const QString arg = step.section('=', 1);
            QWidget *focus = QApplication::focusWidget() ? QApplication::focusWidget() : form;
            if (step.startsWith("find=")) {
                UiDriver::type(form, "FindText", arg);
            } else if (step.startsWith("goto=")) {
                QTest::keySequence(focus, QKeySequence("Ctrl+G"));
                auto *box = form->findChild<QLineEdit *>("Data1Position");
                QTest::keyClicks(box, arg);
                QTest::keyClick(box, Qt::Key_Return);
            } else if (step.startsWith("sort=")) {
                auto *grid = form->findChild<QTableView *>("DBGrid1");
                QHeaderView *heading = grid->horizontalHeader();
                const int x = heading->sectionViewportPosition(arg.toInt()) + 5;
                QTest::mouseClick(heading->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
            } else if (step.startsWith("sql=")) {
                reg.exec(arg);
            } else if (step.startsWith("Command")) {
                UiDriver::click(form, step);
            } else {
                QTest::keySequence(focus, QKeySequence(step));
            }
        }
    }
};

} // namespace

// Finding and jumping on the persons and accomplices screens, driven by keys
// over a real register: what becomes current, what the strip says, and that
// the screen's own reposition handler ran (the counter and the sex list).
class TestFind : public QObject
{
    Q_OBJECT

private slots:
    void findAndJump_data();
    void findAndJump()
    {
        QFETCH(bool, accomplices);
        QFETCH(QString, script);
        QFETCH(QString, counter);
        QFETCH(QString, name);
        QFETCH(QString, note);

        Session s(accomplices);
        QVERIFY(s.form());
        // Where a button lies against the navigation bar, both below the growing grid.
        const auto placed = [&s] {
            return s.form()->findChild<QWidget *>("Command1")->geometry().translated(
                -s.form()->findChild<QWidget *>("Data1")->pos());
        };
        const QRect designed = placed();
        const int height = s.form()->height();
        s.play(script);

        QCOMPARE(s.form()->findChild<DataControl *>("Data1")->caption(), counter);
        QCOMPARE(s.text("Text4"), name);
        QCOMPARE(s.form()->findChild<QLabel *>("FindNote")->text(), note);
        // Data1_Reposition ran: the sex list shows the current row's sex.
        const QString sex = s.reg.value(accomplices ? "SELECT sex FROM TBL_Complici WHERE Nume = ?"
                                                    : "SELECT sex FROM TBL_Zavoni WHERE Nume = ?",
                                        {name}).toString();
        QCOMPARE(s.form()->findChild<QComboBox *>("Combo1")->currentText(), sex);
        // The strip lies below the designed controls, which stay where they were.
        auto *bar = s.form()->findChild<QWidget *>("FindBar");
        QCOMPARE(placed(), designed);
        QCOMPARE(s.form()->height(), height + (bar->isVisible() ? bar->height() : 0));
        QVERIFY(!s.form()->findChild<CnpHint *>()->toolTip().isEmpty());
        QCOMPARE(s.form()->findChild<QTableView *>("DBGrid1")->horizontalHeader()
                     ->isSortIndicatorShown(),
                 script.count("sort=") % 3 != 0);

        // Esc in the strip closes the strip only.
        if (bar->isVisible()) {
            QTest::keyClick(s.form()->findChild<QLineEdit *>("FindText"), Qt::Key_Escape);
            QVERIFY(bar->isHidden());
            QCOMPARE(s.form()->height(), height);
            QVERIFY(s.form()->isVisible());
        }
    }
};

void TestFind::findAndJump_data()
{
    QTest::addColumn<bool>("accomplices");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("counter");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("note");

    const QString fromStart = "S-a continuat de la începutul listei";
    QTest::newRow("as typed keeps a matching row")
        << false << "Ctrl+F|find=stefan" << "1/5" << "ȘTEFAN" << "";
    QTest::newRow("F3: the cedilla spelling") << false << "Ctrl+F|find=stefan|F3" << "3/5"
                                              << "ŞTEFĂNESCU" << "";
    QTest::newRow("Enter, a given name's start, then past the end")
        << false << "Ctrl+F|find=stefan|Return|Return|Return" << "1/5" << "ȘTEFAN" << fromStart;
    QTest::newRow("Shift+F3 past the start")
        << false << "Ctrl+F|find=stef|Shift+F3" << "5/5" << "ALBU"
        << "S-a continuat de la sfârșitul listei";
    QTest::newRow("not found: the row stays") << false << "Ctrl+F|find=ste xyz" << "1/5"
                                              << "ȘTEFAN" << "Nu a fost găsit";
    QTest::newRow("women only") << false << "Command11|Ctrl+F|find=stefan" << "2/3"
                                << "ŞTEFĂNESCU" << "";
    QTest::newRow("a gap the register did not record")
        << false << "sql=DELETE FROM TBL_Zavoni WHERE Nume = 'POPESCU'|sql=DELETE FROM TBL_Goluri"
                    "|Command11|Command12|Ctrl+F|find=tiriac" << "3/4" << "ȚIRIAC" << "";
    QTest::newRow("none in edit mode") << false << "Command2|Ctrl+F|F3|goto=3" << "1/5"
                                       << "ȘTEFAN" << "";
    QTest::newRow("jump") << false << "goto=4" << "4/5" << "ȚIRIAC" << "";
    QTest::newRow("sorted by name") << false << "sort=0" << "1/5" << "ALBU" << "";
    QTest::newRow("sorted, last") << false << "sort=0|Ctrl+End" << "5/5" << "ȚIRIAC" << "";
    QTest::newRow("sorted, jump") << false << "sort=0|goto=3" << "3/5" << "ȘTEFAN" << "";
    QTest::newRow("reversed") << false << "sort=0|sort=0" << "1/5" << "ȚIRIAC" << "";
    QTest::newRow("back to the register's order") << false << "sort=0|sort=0|sort=0" << "1/5"
                                                   << "ȘTEFAN" << "";
    QTest::newRow("find follows the sort") << false << "sort=0|Ctrl+F|find=stef|F3|F3"
                                           << "4/5" << "ŞTEFĂNESCU" << "";
    QTest::newRow("women keep the sort") << false << "sort=0|Command11|Ctrl+End" << "3/3"
                                         << "ŞTEFĂNESCU" << "";
    QTest::newRow("accomplices, reversed") << true << "sort=0|sort=0" << "1/3" << "ȚONE" << "";
    QTest::newRow("accomplices, row by row") << true << "Ctrl+F|find=serban" << "2/3"
                                             << "ŞERBAN" << "";
    QTest::newRow("accomplices, past the end") << true << "goto=3|Ctrl+F|find=po|F3"
                                               << "1/3" << "POPA" << fromStart;
}

QTEST_MAIN(TestFind)
#include "tst_find.moc"
