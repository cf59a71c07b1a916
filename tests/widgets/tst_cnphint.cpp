#include "common/columns.h"
#include "widgets/cnphint.h"

#include <QtWidgets>

// The mark beside a CNP box, fed by typing into real boxes: what its tool tip
// says for valid codes and for each kind of fault.
class TestCnpHint : public QObject
{
    Q_OBJECT

private slots:
    void tellsWhatIsWrong_data();
    void tellsWhatIsWrong()
    {
        QFETCH(QString, cnp);
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *cnpBox = new QLineEdit;
        auto *sexList = new QComboBox;
        sexList->addItems({"", "M", "F"});
        auto *dateBox = new QLineEdit;
        auto *hint = new CnpHint;
        for (QWidget *w : std::initializer_list<QWidget *>{cnpBox, sexList, dateBox, hint})
            layout->addWidget(w);
        hint->watch(cnpBox, sexList, dateBox);
        window.show();
        sexList->setCurrentText(cell<QString>("sex"));
        QTest::keyClicks(dateBox, cell<QString>("birthDate"));
        QTest::keyClicks(cnpBox, cnp);
        QTEST(hint->toolTip(), "tip");
        QCOMPARE(hint->pixmap().isNull(), cnp.isEmpty());
        // Typing on past 13 characters is judged at once, not only on leaving.
        if (!cnp.isEmpty()) {
            QTest::keyClick(cnpBox, Qt::Key_5);
            QVERIFY(hint->toolTip().startsWith("CNP-ul are"));
        }
    }
};

void TestCnpHint::tellsWhatIsWrong_data()
{
    columns<QString, QString, QString, QString>("cnp", "sex", "birthDate", "tip");
    const auto row = [](const char *tag, const char *cnp, const char *sex, const char *date,
                        const QString &tip = "CNP valid") {
        QTest::newRow(tag) << cnp << sex << date << tip;
    };
    const char *const cnp = "1850315401231";
    row("valid", cnp, "M", "15.03.1985");
    row("date written year first", cnp, "M", "1985-03-15");
    row("29 February 2000", "6000229400117", "F", "");
    row("registered anywhere since 2024", "1850315700129", "", "");
    row("foreigner: no sex told", "9000101700013", "F", "");
    row("nothing typed", "", "M", "", "");
    row("sex disagrees", cnp, "F", "", "Sexul ales (F) nu se potrivește cu CNP-ul (M)");
    row("resident woman, sex disagrees", "8001014400174", "M", "",
        "Sexul ales (M) nu se potrivește cu CNP-ul (F)");
    row("birth date disagrees", cnp, "M", "16/03/1985",
        "Data nașterii nu se potrivește cu CNP-ul (15.03.1985)");
    row("control digit", "1850315401232", "", "", "Cifra de control greșită: ar trebui să fie 1");
    row("month 13", "1851315401232", "", "", "Luna 13 nu există");
    row("29 February 1985", "2850229400111", "", "", "Ziua 29 nu există în februarie 1985");
    row("31 April", "1850431400129", "", "", "Ziua 31 nu există în aprilie 1985");
    row("county", "1850315530121", "", "", "Cod de județ necunoscut: 53");
    row("first digit 0", "0850315401231", "", "", "Prima cifră nu poate fi 0");
    row("serial 000", "1850315400002", "", "", "Numărul de ordine 000 nu se atribuie");
    row("too short", "185031540", "", "", "CNP-ul are 9 caractere în loc de 13");
    row("a letter", "18503154O1231", "", "", "CNP-ul poate conține numai cifre");
    row("two faults at once", "1851315401231", "", "",
        "Luna 13 nu există\nCifra de control greșită: ar trebui să fie 2");
}

QTEST_MAIN(TestCnpHint)
#include "tst_cnphint.moc"
