#include "app/form1.h"
#include "common/screensession.h"
#include "screens/accomplices/form3.h"
#include "screens/articles/form4.h"
#include "screens/offences/form5.h"
#include "screens/persons/form2.h"
#include "widgets/datacontrol.h"
#include "widgets/dbgrid.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {

const QString Person = "1700101400011";
const QString Accomplice = "2800202400021";

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
// windows open, whether their captions can be read whole and what a screen
// reader learns of them; the daily road.
class TestDesktop : public QObject
{
    Q_OBJECT

private slots:
    void focusOnAdd_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<QString>("script");
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
        QFETCH(int, screen);
        Session s;
        QWidget *window = s.show(screen);
        QVERIFY(window);
        QFETCH(QString, script);
        s.run(script);
        QCOMPARE(s.state("Command3"), QString());
        QCOMPARE(s.focus(), QString("Command1"));
        // The focus shows before any Tab.
        QVERIFY(window->testAttribute(Qt::WA_KeyboardFocusChange));
    }

    void enterPressesTheFocusedButton_data() { screenRows(true); }
    void enterPressesTheFocusedButton()
    {
        QFETCH(int, screen);
        Session s;
        QWidget *window = s.show(screen);
        QVERIFY(UiDriver::activate(window));
        auto *pressed = window->findChild<QAbstractButton *>("Command1");
        pressed->setFocus(Qt::TabFocusReason);
        QSignalSpy clicked(pressed, &QAbstractButton::clicked);
        QTest::keyClick(pressed, screen < 0 ? Qt::Key_Return : Qt::Key_Enter);
        QCOMPARE(clicked.count(), 1);
    }

    void tabOrderAsDesigned_data() { screenRows(); }
    // Placed in its window, a screen keeps the tab order of its form.
    void tabOrderAsDesigned()
    {
        QFETCH(int, screen);
        Session s;
        QWidget *placed = s.show(screen);
        QVERIFY(placed);
        const std::unique_ptr<QWidget> designed(
            screen == 0   ? static_cast<QWidget *>(new Form2(&s.chain))
            : screen == 1 ? static_cast<QWidget *>(new Form5(&s.chain))
            : screen == 2 ? static_cast<QWidget *>(new Form3(&s.chain))
                          : static_cast<QWidget *>(new Form4(&s.chain)));
        const auto tabChain = [](QWidget *window) {
            QStringList names;
            for (QWidget *w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
                if (w->focusPolicy() & Qt::TabFocus)
                    names << w->objectName();
            }
            return names;
        };
        QCOMPARE(tabChain(placed), tabChain(designed.get()));
    }

    void lockedBoxesLookIt_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<QString>("box");
        QTest::newRow("persons, line") << 0 << "Text4";
        QTest::newRow("offences, multi-line") << 1 << "Text1";
        QTest::newRow("articles, multi-line") << 3 << "Text1";
    }

    void lockedBoxesLookIt();
    void windowsOwnedAndCentred_data() { screenRows(); }
    void windowsOwnedAndCentred()
    {
        QFETCH(int, screen);
        Session s;
        const QRect display = s.start.screen()->availableGeometry();
        s.start.move(display.center() - s.start.rect().center());
        QWidget *window = s.show(screen);
        QVERIFY(window);
        QWidget *owner = screen == 0 ? &s.start : s.chain.screen(ScreenKind(screen == 1 ? 0 : 1));
        QCOMPARE(window->parentWidget(), owner);
        QVERIFY(window->isWindow());
        const QPoint off = window->frameGeometry().center() - owner->frameGeometry().center();
        QVERIFY2(qAbs(off.x()) <= 2 && qAbs(off.y()) <= 2,
                 qPrintable(QString("off by %1,%2").arg(off.x()).arg(off.y())));
    }

    // The grid takes what the window grows by; what is under it moves down, the
    // rest stays. The size is remembered for the next opening.
    void gridTakesTheGrowth()
    {
        Session s;
        QWidget *screen = s.show(0);
        QVERIFY(screen);
        const QSize designed = screen->size();
        QCOMPARE(screen->minimumSize(), designed);
        auto *grid = screen->findChild<QWidget *>("DBGrid1");
        auto *add = screen->findChild<QWidget *>("Command1");
        auto *frame = screen->findChild<QWidget *>("Frame1");
        const QRect gridAt = grid->geometry();
        const QPoint addAt = add->pos(), frameAt = frame->pos();
        screen->resize(designed + QSize(100, 60));
        QCoreApplication::processEvents();
        QCOMPARE(grid->geometry(), gridAt.adjusted(0, 0, 100, 60));
        QCOMPARE(add->pos(), addAt + QPoint(0, 60));
        QCOMPARE(frame->pos(), frameAt + QPoint(0, 60));
        screen->close();
        QCOMPARE(s.show(0)->size(), designed + QSize(100, 60));
    }

    void captionsWhole_data() { screenRows(); }
    void captionsWhole()
    {
        QFETCH(int, screen);
        Session s;
        QWidget *window = s.show(screen);
        QVERIFY(window);
        QStringList cut;
        for (const int points : {8, 9}) {
            QFont font = window->font();
            font.setPointSize(points);
            window->setFont(font);
            for (QWidget *w : window->findChildren<QWidget *>()) {
                int wanted = 0;
                if (auto *label = qobject_cast<QLabel *>(w); label && !label->wordWrap())
                    wanted = label->sizeHint().width();
                else if (qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w))
                    wanted = w->sizeHint().width();
                if (wanted > w->width())
                    cut << QString("%1 %2<%3 at %4").arg(w->objectName()).arg(w->width())
                               .arg(wanted).arg(points);
            }
        }
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(", ")));
    }

    void screenReaderNamesControls_data() { screenRows(true); }
    void screenReaderNamesControls();
    void typicalRoad();
};

// Locked, a box has the window's background and still shows its focus;
// unlocked by "Adaugă", an editable box's.
void TestDesktop::lockedBoxesLookIt()
{
    QFETCH(int, screen);
    QFETCH(QString, box);
    Session s;
    QWidget *window = s.show(screen);
    QVERIFY(window);
    auto *input = window->findChild<QWidget *>(box);
    QCOMPARE(input->palette().color(QPalette::Base), window->palette().color(QPalette::Window));
    if (auto *memo = qobject_cast<QPlainTextEdit *>(input))
        QVERIFY(memo->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    s.run("Command1");
    QCOMPARE(input->palette().color(QPalette::Base), QLineEdit().palette().color(QPalette::Base));
}

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

// The road an operator takes every day, from the start window to the articles
// screen and back, storing an offence, an accomplice and an article on the way.
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
    const qint64 code = s.reg.value("SELECT COD_infractiune FROM TBL_Infractiuni WHERE CNP_C = ? "
                                    "AND Infractiune = 'LUARE DE MITĂ' AND Amenda = '1500'",
                                    {road}).toLongLong();
    QVERIFY(code > 0);

    QVERIFY(s.open(ScreenKind::Accomplices));
    QCOMPARE(header(s.form()), person);
    s.run("Command1|Text1=3000000000003|Text4=ionescu|Command3");
    QCOMPARE(s.reg.count("TBL_Complicitate", "CNP = '3000000000003' AND COD_INFRACTIUNE = ?",
                         {code}), 1);
    // Esc does what "Înapoi" does.
    s.run("Esc");
    QVERIFY(!s.form());

    QVERIFY(s.open(ScreenKind::Articles));
    QCOMPARE(header(s.form()), person);
    QCOMPARE(s.text("Label25"), QString("LUARE DE MITĂ"));
    s.run("Command1|Text2=gazeta de sud|Text1=Un articol.|Command3");
    QCOMPARE(s.reg.count("TBL_Articole", "Cod_infractiune = ? AND Publicatie = 'GAZETA DE SUD'",
                         {code}), 1);
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
