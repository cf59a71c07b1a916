#include "common/scriptedmessages.h"
#include "common/testregister.h"

#include "app/form1.h"
#include "app/screenchain.h"
#include "widgets/datacontrol.h"
#include "widgets/dbgrid.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSet>
#include <QTest>
#include <QToolButton>

// What a screen reader learns of each window through Qt's accessibility tree:
// every control reached by Tab has a name (a box the caption beside it), and the
// navigation bar and the grid say what they are.
class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void screenNamesItsControls_data();
    void screenNamesItsControls();
};

namespace {

// The objects a screen reader can reach from the window; a table's cells are
// left out, as they are not widgets.
void reachable(QAccessibleInterface *iface, QSet<QObject *> *found)
{
    found->insert(iface->object());
    if (iface->role() == QAccessible::Table)
        return;
    for (int i = 0; i < iface->childCount(); ++i)
        reachable(iface->child(i), found);
}

QString name(QObject *object, QAccessible::Text text = QAccessible::Name)
{
    return QAccessible::queryAccessibleInterface(object)->text(text).trimmed();
}

// What a screen reader says before a box: the first label it is labelled by
// (on Linux a list's name is its value, its caption comes by this relation).
QString caption(QWidget *box)
{
    const auto labels = QAccessible::queryAccessibleInterface(box)->relations(QAccessible::Label);
    return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name).trimmed();
}

} // namespace

void TestAccessibility::screenNamesItsControls_data()
{
    QTest::addColumn<QList<ScreenKind>>("path");
    QTest::newRow("start window") << QList<ScreenKind>{};
    QTest::newRow("persons") << QList<ScreenKind>{ScreenKind::Persons};
    QTest::newRow("offences") << QList<ScreenKind>{ScreenKind::Persons, ScreenKind::Offences};
    QTest::newRow("accomplices") << QList<ScreenKind>{ScreenKind::Persons, ScreenKind::Offences,
                                                       ScreenKind::Accomplices};
    QTest::newRow("articles") << QList<ScreenKind>{ScreenKind::Persons, ScreenKind::Offences,
                                                    ScreenKind::Articles};
}

void TestAccessibility::screenNamesItsControls()
{
    QFETCH(QList<ScreenKind>, path);
    TestRegister reg;
    reg.addPerson("1000000000001", "ION");
    reg.addOffence("1000000000001", "FURT", "A", {{"Amenda", "5"}});
    ScriptedMessages messages;
    ScreenChain chain;
    Form1 form1(&chain);
    form1.show();
    QWidget *window = &form1;
    for (ScreenKind kind : path) {
        chain.open(kind);
        window = chain.screen(kind);
    }
    QSet<QObject *> tree;
    reachable(QAccessible::queryAccessibleInterface(window), &tree);

    QSet<QString> captions;
    const QList<QWidget *> controls = window->findChildren<QWidget *>();
    for (QWidget *control : controls) {
        if (!(control->focusPolicy() & Qt::TabFocus) || control->objectName().isEmpty())
            continue;
        const QByteArray what = control->objectName().toUtf8();
        QVERIFY2(tree.contains(control), what);
        if (qobject_cast<QAbstractButton *>(control)) {
            QVERIFY2(!name(control).isEmpty(), what);
        } else if (qobject_cast<QLineEdit *>(control) || qobject_cast<QPlainTextEdit *>(control)
                   || qobject_cast<QComboBox *>(control)) {
            // A frame's title that several boxes share names none of them.
            const QString said = caption(control);
            QVERIFY2(!said.isEmpty() && !captions.contains(said), what + " " + said.toUtf8());
            captions.insert(said);
        }
    }
    if (path.isEmpty())
        return;
    QCOMPARE(captions.isEmpty(), false);

    auto *grid = window->findChild<DBGrid *>("DBGrid1");
    QVERIFY(tree.contains(grid));
    QVERIFY(!name(grid).isEmpty());
    QVERIFY(!name(grid, QAccessible::Description).isEmpty());
    auto *data = window->findChild<DataControl *>("Data1");
    auto *counter = data->findChild<QLabel *>("counter");
    QVERIFY(tree.contains(counter));
    QCOMPARE(name(counter), data->counterText());
    QVERIFY(!name(counter, QAccessible::Description).isEmpty());
    QStringList arrows;
    for (QToolButton *arrow : data->findChildren<QToolButton *>()) {
        QVERIFY(tree.contains(arrow));
        QCOMPARE(arrow->toolTip(), name(arrow));
        QVERIFY(!name(arrow, QAccessible::Description).isEmpty());
        arrows << name(arrow);
    }
    QCOMPARE(arrows, QStringList({"Primul", "Anteriorul", "Următorul", "Ultimul"}));
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
