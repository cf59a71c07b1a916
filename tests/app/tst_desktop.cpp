#include "app/form1.h"
#include "common/screensession.h"
#include "widgets/datacontrol.h"
#include "widgets/dbgrid.h"

#include <QtTest>
#include <QtWidgets>

namespace {

const QString Person = "1700101400011";
const QString Accomplice = "2800202400021";

// A register with one row on every screen, under the start window.
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
    // A screen of ScreenKind, or the start window for -1.
    QWidget *show(int kind)
    {
        UiDriver::activate(&start);
        return kind < 0 ? &start : open(ScreenKind(kind)) ? form() : nullptr;
    }
};

const char *const Names[] = {"persons", "offences", "accomplices", "articles"};

// A row for each screen, after one for the start window if asked.
void screenRows(bool start = false)
{
    QTest::addColumn<int>("screen");
    if (start)
        QTest::newRow("start window") << -1;
    for (int kind = 0; kind < 4; ++kind)
        QTest::newRow(Names[kind]) << kind;
}

// The person's header on a screen above the persons screen, Label11 to Label20.
QString header(QWidget *screen)
{
    QStringList labels;
    for (int i = 11; i <= 20; ++i)
        labels << screen->findChild<QLabel *>(QString("Label%1").arg(i))->text();
    return labels.join('|');
}

QString accessible(QObject *object, QAccessible::Text text = QAccessible::Name)
{
    return QAccessible::queryAccessibleInterface(object)->text(text).trimmed();
}

// The objects a screen reader reaches from the window; a table's cells are no widgets.
void reachable(QAccessibleInterface *iface, QSet<QObject *> *found)
{
    found->insert(iface->object());
    for (int i = 0; iface->role() != QAccessible::Table && i < iface->childCount(); ++i)
        reachable(iface->child(i), found);
}

} // namespace

// What any desktop window does: where the focus is, what Enter does, where the
// windows open and what a screen reader learns of them; the daily road.
class TestDesktop : public QObject
{
    Q_OBJECT

private slots:
    void focusOnAdd_data()
    {
        columns<int, QString>("screen", "script");
        // A CNP typed again is refused as a duplicate.
        for (int kind = 0; kind < 4; ++kind) {
            QTest::addRow("%s opened", Names[kind]) << kind << "";
            QTest::addRow("%s, cancelled", Names[kind]) << kind << "Command1|Command4";
            QTest::addRow("%s, saved", Names[kind]) << kind << "Command2|Command3";
        }
        QTest::newRow("persons, duplicate refused")
            << 0 << "Command1|Text1=" + Person + "|Text4=X|Command3";
        QTest::newRow("accomplices, duplicate refused")
            << 2 << "Command1|Text1=" + Accomplice + "|Text4=X|Command3";
    }

    void focusOnAdd()
    {
        Session s;
        QWidget *window = s.show(cell<int>("screen"));
        QVERIFY(window);
        s.run(cell<QString>("script"));
        QCOMPARE(s.state("Command3"), QString());
        QCOMPARE(s.focus(), QString("Command1"));
        // The focus shows before any Tab.
        QVERIFY(window->testAttribute(Qt::WA_KeyboardFocusChange));
    }

    void screenReaderNamesControls_data() { screenRows(true); }
    void screenReaderNamesControls();
    void typicalRoad();
};

// Every control reached by Tab has a name (a box the caption beside it), and
// the navigation bar and the grid say what they are.
void TestDesktop::screenReaderNamesControls()
{
    QFETCH(int, screen);
    Session s;
    QWidget *window = s.show(screen);
    QVERIFY(window);
    QSet<QObject *> tree;
    reachable(QAccessible::queryAccessibleInterface(window), &tree);
    QSet<QString> captions;
    for (QWidget *control : window->findChildren<QWidget *>()) {
        if (!(control->focusPolicy() & Qt::TabFocus) || control->objectName().isEmpty())
            continue;
        const QByteArray what = control->objectName().toUtf8();
        QVERIFY2(tree.contains(control), what);
        if (qobject_cast<QAbstractButton *>(control)) {
            QVERIFY2(!accessible(control).isEmpty(), what);
        } else if (qobject_cast<QLineEdit *>(control) || qobject_cast<QPlainTextEdit *>(control)
                   || qobject_cast<QComboBox *>(control)) {
            // The first label it is labelled by (on Linux a list's name is its
            // value); a frame's title that several boxes share names none of them.
            const auto labels = QAccessible::queryAccessibleInterface(control)->relations(
                QAccessible::Label);
            const QString said = labels.isEmpty() ? QString()
                                                  : labels.first().first->text(QAccessible::Name);
            QVERIFY2(!said.trimmed().isEmpty() && !captions.contains(said), what + said.toUtf8());
            captions.insert(said);
        }
    }
    if (screen < 0)
        return;
    auto *data = window->findChild<DataControl *>("Data1");
    auto *counter = data->findChild<QLabel *>("counter");
    QList<QObject *> described{window->findChild<DBGrid *>("DBGrid1"), counter};
    for (QToolButton *arrow : data->findChildren<QToolButton *>()) {
        QCOMPARE(arrow->toolTip(), accessible(arrow));
        described << arrow;
    }
    QCOMPARE(described.size(), 6);
    for (QObject *o : described) {
        QVERIFY(tree.contains(o));
        QVERIFY(!accessible(o).isEmpty() && !accessible(o, QAccessible::Description).isEmpty());
    }
    QCOMPARE(accessible(counter), data->counterText());
}

// The daily road to the articles screen and back, storing an offence on the way.
void TestDesktop::typicalRoad()
{
    Session s;
    const QString road = "2000000000002";
    s.reg.addPerson(road, "ȘTEFĂNESCU", "F",
                    {{"Initiala", "I"}, {"Prenume", "ANA"}, {"Serie_buletin", "RX"},
                     {"Numar_buletin", "123456"}, {"Porecla1", "NASU"}, {"Porecla2", "ZÂNA"},
                     {"Data_nasterii", "01.01.1970"}});
    const QString person = road + "|ȘTEFĂNESCU|I|ANA|F|RX|123456|NASU|ZÂNA|01.01.1970";
    QVERIFY(UiDriver::activate(&s.start));
    QCOMPARE(s.focus(), QString("Command2"));
    UiDriver::click(&s.start, "Command1");
    QVERIFY(s.open(ScreenKind::Persons));
    QCOMPARE(s.form()->windowModality(), Qt::ApplicationModal);
    s.run("Next");
    QVERIFY(s.open(ScreenKind::Offences));
    QCOMPARE(header(s.form()), person);
    s.run("Command1|Combo1=L|Text1=a primit bani|Option1|Text3=1500 lei|Command3");
    QCOMPARE(s.reg.count("TBL_Infractiuni", "CNP_C = ? AND Infractiune = 'LUARE DE MITĂ' AND "
                         "Amenda = '1500'", {road}), 1);

    QVERIFY(s.open(ScreenKind::Accomplices));
    QCOMPARE(header(s.form()), person);
    // Esc does what "Înapoi" does.
    s.run("Esc");
    QVERIFY(!s.form());

    QVERIFY(s.open(ScreenKind::Articles));
    QCOMPARE(header(s.form()), person);
    QCOMPARE(s.text("Label25"), QString("LUARE DE MITĂ"));
    // The window's close control does it too.
    s.run("X");
    QCOMPARE(s.chain.stack(), (QList<ScreenKind>{ScreenKind::Persons, ScreenKind::Offences}));
    UiDriver::click(s.chain.screen(ScreenKind::Offences), "Command6");
    UiDriver::click(s.chain.screen(ScreenKind::Persons), "Command6");
    QVERIFY(s.chain.stack().isEmpty() && s.start.isVisible());
    QCOMPARE(s.boxes(), QString());
    UiDriver::click(&s.start, "Command2");
    QVERIFY(!s.start.isVisible());
}

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
