#include "app/form1.h"
#include "common/screensession.h"
#include "screens/accomplices/form3.h"
#include "screens/articles/form4.h"
#include "screens/offences/form5.h"
#include "screens/persons/form2.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(ScreenKind)

namespace {

const QString Person = "1700101400011";
const QString Accomplice = "2800202400021";
const QString RoadPerson = "2000000000002"; // the one on the daily road

// A register with one row on every screen, and the start window below the
// screens, which opens the persons screen.
struct Session : ScreenSession
{
    Form1 start{&chain};

    Session()
    {
        reg.addPerson(Person, "POPESCU");
        const qint64 offence = reg.addOffence(Person, "FURT", "A",
                                              {{"Descriere", "d"}, {"Amenda", "5"}});
        reg.addAccomplice(Accomplice, "IONESCU", "F", offence);
        reg.addArticle(offence, "ZIAR", "text");
    }
    QWidget *show(ScreenKind kind)
    {
        UiDriver::activate(&start);
        return open(kind) ? form() : nullptr;
    }
};

// The person's header on a screen above the persons screen, Label11 to Label20.
QString header(QWidget *screen)
{
    QStringList labels;
    for (int i = 11; i <= 20; ++i)
        labels << screen->findChild<QLabel *>(QString("Label%1").arg(i))->text();
    return labels.join('|');
}

const QList<std::pair<const char *, ScreenKind>> Screens = {
    {"persons", ScreenKind::Persons},
    {"offences", ScreenKind::Offences},
    {"accomplices", ScreenKind::Accomplices},
    {"articles", ScreenKind::Articles},
};

} // namespace

// What any desktop window does: where the focus is, what Enter does, where the
// windows open and whether their captions can be read whole; the daily road.
class TestDesktop : public QObject
{
    Q_OBJECT

private slots:
    void focusOnAdd_data();
    void focusOnAdd();
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
    void tabOrderAsDesigned_data();
    void tabOrderAsDesigned();
    void lockedBoxesLookIt_data();
    void lockedBoxesLookIt();
    void windowsOwnedAndCentred_data();
    void windowsOwnedAndCentred();
    void gridTakesTheGrowth();
    void captionsWhole_data();
    void captionsWhole();
    void typicalRoad();
};

void TestDesktop::focusOnAdd_data()
{
    QTest::addColumn<ScreenKind>("kind");
    QTest::addColumn<QString>("script");

    // "Name" clicks, "Name=text" types; a CNP typed again is refused as a duplicate.
    for (const auto &[name, kind] : Screens) {
        QTest::addRow("%s opened", name) << kind << "";
        QTest::addRow("%s, cancelled", name) << kind << "Command1|Command4";
        QTest::addRow("%s, saved", name) << kind << "Command2|Command3";
    }
    QTest::newRow("persons, duplicate refused") << ScreenKind::Persons
                                                << "Command1|Text1=" + Person + "|Text4=X|Command3";
    QTest::newRow("accomplices, duplicate refused")
        << ScreenKind::Accomplices << "Command1|Text1=" + Accomplice + "|Text4=X|Command3";
}

void TestDesktop::focusOnAdd()
{
    QFETCH(ScreenKind, kind);
    QFETCH(QString, script);
    Session s;
    QWidget *screen = s.show(kind);
    QVERIFY(screen);
    s.run(script);
    QVERIFY(!screen->findChild<QWidget *>("Command3")->isEnabled());
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("Command1"));
    // The focus shows before any Tab.
    QVERIFY(screen->testAttribute(Qt::WA_KeyboardFocusChange));
}

void TestDesktop::enterPressesTheFocusedButton_data()
{
    QTest::addColumn<int>("screen"); // a ScreenKind, or -1 for the start window
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");

    QTest::newRow("start window, Return") << -1 << "Command1" << int(Qt::Key_Return);
    for (const auto &[name, kind] : Screens)
        QTest::addRow("%s, keypad Enter", name) << int(kind) << "Command1" << int(Qt::Key_Enter);
}

void TestDesktop::enterPressesTheFocusedButton()
{
    QFETCH(int, screen);
    QFETCH(QString, button);
    QFETCH(int, key);
    Session s;
    QWidget *window = screen < 0 ? &s.start : s.show(ScreenKind(screen));
    QVERIFY(UiDriver::activate(window));
    auto *pressed = window->findChild<QAbstractButton *>(button);
    pressed->setFocus(Qt::TabFocusReason);
    QSignalSpy clicked(pressed, &QAbstractButton::clicked);
    QTest::keyClick(pressed, Qt::Key(key));
    QCOMPARE(clicked.count(), 1);
}

void TestDesktop::tabOrderAsDesigned_data()
{
    QTest::addColumn<ScreenKind>("kind");
    for (const auto &[name, kind] : Screens)
        QTest::addRow("%s", name) << kind;
}

// Placed in its window, a screen keeps the tab order of its form.
void TestDesktop::tabOrderAsDesigned()
{
    QFETCH(ScreenKind, kind);
    Session s;
    QWidget *screen = s.show(kind);
    QVERIFY(screen);
    std::unique_ptr<QWidget> designed;
    switch (kind) {
    case ScreenKind::Persons:
        designed = std::make_unique<Form2>(&s.chain);
        break;
    case ScreenKind::Offences:
        designed = std::make_unique<Form5>(&s.chain);
        break;
    case ScreenKind::Accomplices:
        designed = std::make_unique<Form3>(&s.chain);
        break;
    case ScreenKind::Articles:
        designed = std::make_unique<Form4>(&s.chain);
        break;
    }
    const auto tabChain = [](QWidget *window) {
        QStringList names;
        for (QWidget *w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
            if (w->focusPolicy() & Qt::TabFocus)
                names << w->objectName();
        }
        return names;
    };
    QCOMPARE(tabChain(screen), tabChain(designed.get()));
}

void TestDesktop::lockedBoxesLookIt_data()
{
    QTest::addColumn<ScreenKind>("kind");
    QTest::addColumn<QString>("box");
    QTest::newRow("persons, line") << ScreenKind::Persons << "Text4";
    QTest::newRow("offences, multi-line") << ScreenKind::Offences << "Text1";
    QTest::newRow("articles, multi-line") << ScreenKind::Articles << "Text1";
}

// Locked, a box has the window's background and still shows its focus;
// unlocked by "Adaugă", an editable box's.
void TestDesktop::lockedBoxesLookIt()
{
    QFETCH(ScreenKind, kind);
    QFETCH(QString, box);
    Session s;
    QWidget *screen = s.show(kind);
    QVERIFY(screen);
    auto *input = screen->findChild<QWidget *>(box);
    const auto background = [input] { return input->palette().color(QPalette::Base); };
    QCOMPARE(background(), screen->palette().color(QPalette::Window));
    if (auto *memo = qobject_cast<QPlainTextEdit *>(input))
        QVERIFY(memo->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    UiDriver::click(screen, "Command1");
    QCOMPARE(background(), QLineEdit().palette().color(QPalette::Base));
}

void TestDesktop::windowsOwnedAndCentred_data()
{
    QTest::addColumn<ScreenKind>("kind");
    QTest::addColumn<int>("opener"); // a ScreenKind, or -1 for the start window
    for (const auto &[name, kind] : Screens) {
        const int opener = kind == ScreenKind::Persons ? -1
                           : kind == ScreenKind::Offences ? int(ScreenKind::Persons)
                                                          : int(ScreenKind::Offences);
        QTest::addRow("%s", name) << kind << opener;
    }
}

void TestDesktop::windowsOwnedAndCentred()
{
    QFETCH(ScreenKind, kind);
    QFETCH(int, opener);
    Session s;
    const QRect display = s.start.screen()->availableGeometry();
    s.start.move(display.center() - s.start.rect().center());
    QWidget *screen = s.show(kind);
    QVERIFY(screen);
    QWidget *owner = opener < 0 ? &s.start : s.chain.screen(ScreenKind(opener));
    QCOMPARE(screen->parentWidget(), owner);
    QVERIFY(screen->isWindow());
    const QPoint off = screen->frameGeometry().center() - owner->frameGeometry().center();
    QVERIFY2(qAbs(off.x()) <= 2 && qAbs(off.y()) <= 2,
             qPrintable(QString("off by %1,%2").arg(off.x()).arg(off.y())));
}

// The grid takes what the window grows by; what is under it moves down, the
// rest stays. The size is remembered for the next opening.
void TestDesktop::gridTakesTheGrowth()
{
    Session s;
    QWidget *screen = s.show(ScreenKind::Persons);
    QVERIFY(screen);
    const QSize designed = screen->size();
    QCOMPARE(screen->minimumSize(), designed);
    auto *grid = screen->findChild<QWidget *>("DBGrid1");
    auto *add = screen->findChild<QWidget *>("Command1");
    auto *frame = screen->findChild<QWidget *>("Frame1");
    const QRect gridAt = grid->geometry();
    const QPoint addAt = add->pos();
    const QPoint frameAt = frame->pos();
    screen->resize(designed + QSize(100, 60));
    QCoreApplication::processEvents();
    QCOMPARE(grid->geometry(), gridAt.adjusted(0, 0, 100, 60));
    QCOMPARE(add->pos(), addAt + QPoint(0, 60));
    QCOMPARE(frame->pos(), frameAt + QPoint(0, 60));
    screen->close();
    QWidget *again = s.show(ScreenKind::Persons);
    QVERIFY(again);
    QCOMPARE(again->size(), designed + QSize(100, 60));
}

void TestDesktop::captionsWhole_data()
{
    QTest::addColumn<ScreenKind>("kind");
    QTest::addColumn<int>("points");
    for (const auto &[name, kind] : Screens) {
        for (const int points : {8, 9})
            QTest::addRow("%s, %d points", name, points) << kind << points;
    }
}

void TestDesktop::captionsWhole()
{
    QFETCH(ScreenKind, kind);
    QFETCH(int, points);
    Session s;
    QWidget *screen = s.show(kind);
    QVERIFY(screen);
    QFont font = screen->font();
    font.setPointSize(points);
    screen->setFont(font);
    QStringList cut;
    for (QWidget *w : screen->findChildren<QWidget *>()) {
        int wanted = 0;
        if (auto *label = qobject_cast<QLabel *>(w); label && !label->wordWrap())
            wanted = label->sizeHint().width();
        else if (qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w))
            wanted = w->sizeHint().width();
        if (wanted > w->width())
            cut << QString("%1 %2<%3").arg(w->objectName()).arg(w->width()).arg(wanted);
    }
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(", ")));
}

// The road an operator takes every day, from the start window to the articles
// screen and back, storing an offence, an accomplice and an article on the way.
void TestDesktop::typicalRoad()
{
    Session s;
    s.reg.addPerson(RoadPerson, "ȘTEFĂNESCU", "F",
                    {{"Initiala", "I"}, {"Prenume", "ANA"}, {"Serie_buletin", "RX"},
                     {"Numar_buletin", "123456"}, {"Porecla1", "NASU"}, {"Porecla2", "ZÂNA"},
                     {"Data_nasterii", "01.01.1970"}});
    const QString person = RoadPerson + "|ȘTEFĂNESCU|I|ANA|F|RX|123456|NASU|ZÂNA|01.01.1970";
    Form1 &form1 = s.start;
    QVERIFY(UiDriver::activate(&form1));
    QCOMPARE(form1.windowTitle(), QString("Evidenta zavonilor"));
    QCOMPARE(s.focus(), QString("Command2"));
    QCOMPARE(form1.findChild<QPushButton *>("Command1")->text(), QString("Evidentă zavoni"));
    QCOMPARE(form1.findChild<QPushButton *>("Command2")->text(), QString("Închide programul"));

    UiDriver::click(&form1, "Command1");
    QVERIFY(s.open(ScreenKind::Persons));
    QCOMPARE(s.form()->windowModality(), Qt::ApplicationModal);
    QVERIFY(s.form()->windowTitle().startsWith("Persoanele zavone - "));
    s.run("Next");
    QCOMPARE(s.counter(), QString("2/2"));

    QVERIFY(s.open(ScreenKind::Offences));
    QVERIFY(s.form()->windowTitle().startsWith("Infractiuni comise - "));
    QCOMPARE(header(s.form()), person);
    QCOMPARE(s.counter(), QString("0/0"));
    s.run("Command1|Combo1=L|Text1=a primit bani|Option1|Text3=1500 lei|Command3");
    QCOMPARE(s.counter(), QString("1/1"));
    const qint64 code = s.reg.value("SELECT COD_infractiune FROM TBL_Infractiuni WHERE CNP_C = ? "
                                    "AND Infractiune = 'LUARE DE MITĂ' AND Pedeapsa = 'A' "
                                    "AND Amenda = '1500'", {RoadPerson}).toLongLong();
    QVERIFY(code > 0);

    QVERIFY(s.open(ScreenKind::Accomplices));
    QVERIFY(s.form()->windowTitle().startsWith("Complici - "));
    QCOMPARE(header(s.form()), person);
    s.run("Command1|Text1=3000000000003|Text4=ionescu|Command3");
    QCOMPARE(s.counter(), QString("1/1"));
    QCOMPARE(s.reg.count("TBL_Complicitate", "CNP = '3000000000003' AND COD_INFRACTIUNE = ?",
                         {code}), 1);
    // Esc does what "Înapoi" does.
    s.run("Esc");
    QVERIFY(!s.form());

    QVERIFY(s.open(ScreenKind::Articles));
    QVERIFY(s.form()->windowTitle().startsWith("Articole din ziare - "));
    QCOMPARE(header(s.form()), person);
    QCOMPARE(s.text("Label25"), QString("LUARE DE MITĂ"));
    s.run("Command1|Text2=gazeta de sud|Text1=Un articol.|Command3");
    QCOMPARE(s.reg.count("TBL_Articole", "Cod_infractiune = ? AND Publicatie = 'GAZETA DE SUD'",
                         {code}), 1);
    // The window's close control does it too.
    s.run("X");
    QCOMPARE(s.chain.stack(), (QList<ScreenKind>{ScreenKind::Persons, ScreenKind::Offences}));

    QVERIFY(s.open(ScreenKind::Offences));
    s.run("Command6");
    QVERIFY(s.open(ScreenKind::Persons));
    s.run("Command6");
    QVERIFY(s.chain.stack().isEmpty());
    QVERIFY(form1.isVisible());
    QCOMPARE(s.boxes(), QString());
    UiDriver::click(&form1, "Command2");
    QVERIFY(!form1.isVisible());
}

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
