#include "widgets/findbar.h"

#include <QLineEdit>
#include <QShortcut>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

Q_DECLARE_METATYPE(FindBar::Step)

// The find strip in a window whose Esc closes it, as a screen's does: which
// requests its keys make and that its keys do not reach the window.
class TestFindBar : public QObject
{
    Q_OBJECT

private slots:
    void keys_data();
    void keys();
};

namespace {

struct Window
{
    Window()
    {
        auto *layout = new QVBoxLayout(&widget);
        layout->addWidget(new QLineEdit(&widget));
        bar = new FindBar(&widget);
        layout->addWidget(bar);
        auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), &widget);
        QObject::connect(escape, &QShortcut::activated, [this] { ++windowEscapes; });
        widget.show();
        widget.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&widget));
        bar->open();
    }
    QWidget widget;
    FindBar *bar = nullptr;
    int windowEscapes = 0;
};

} // namespace

void TestFindBar::keys_data()
{
    using S = FindBar::Step;
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QList<FindBar::Step>>("requests");
    QTest::addColumn<bool>("open");

    QTest::newRow("typing") << "st" << 0 << 0 << QList<S>{S::AsTyped, S::AsTyped} << true;
    QTest::newRow("Enter") << "s" << int(Qt::Key_Return) << 0 << QList<S>{S::AsTyped, S::Next}
                           << true;
    QTest::newRow("F3") << "s" << int(Qt::Key_F3) << 0 << QList<S>{S::AsTyped, S::Next}
                        << true;
    QTest::newRow("Shift+F3") << "s" << int(Qt::Key_F3) << int(Qt::ShiftModifier)
                              << QList<S>{S::AsTyped, S::Previous} << true;
    QTest::newRow("nothing typed asks nothing") << "" << int(Qt::Key_F3) << 0 << QList<S>{}
                                                << true;
    QTest::newRow("Esc closes only the strip") << "s" << int(Qt::Key_Escape) << 0
                                               << QList<S>{S::AsTyped} << false;
}

void TestFindBar::keys()
{
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QList<FindBar::Step>, requests);
    QFETCH(bool, open);

    Window w;
    QSignalSpy spy(w.bar, &FindBar::findRequested);
    QSignalSpy closed(w.bar, &FindBar::closed);
    QWidget *box = w.bar->findChild<QLineEdit *>("FindText");
    QTest::keyClicks(box, typed);
    if (key)
        QTest::keyClick(box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    QList<FindBar::Step> made;
    for (const QList<QVariant> &args : spy) {
        QCOMPARE(args.at(0).toString(), typed.left(made.size() + 1));
        made << args.at(1).value<FindBar::Step>();
    }
    QCOMPARE(made, requests);
    QCOMPARE(w.bar->isVisible(), open);
    QCOMPARE(closed.size(), open ? 0 : 1);
    QCOMPARE(w.windowEscapes, 0);
}

QTEST_MAIN(TestFindBar)
#include "tst_findbar.moc"
