#include "common/testregister.h"

#include "data/recordset.h"
#include "data/sourcetexts.h"
#include "widgets/datacontrol.h"
#include "widgets/dbgrid.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

// The grid over a set far larger than it shows: it holds a page, its scroll
// bar runs over the whole set, and what it shows is always the set's rows.
class TestDBGrid : public QObject
{
    Q_OBJECT

private slots:
    void windowOverALargeSet_data();
    void windowOverALargeSet();

private:
    void step(const QString &step);
    void checkShown(const QString &step);

    QWidget *m_window = nullptr;
    DBGrid *m_grid = nullptr;
    DataControl *m_data = nullptr;
    QStringList m_names; // what the set holds, in its order
};

constexpr int Persons = 1200;

void TestDBGrid::windowOverALargeSet_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("top");
    QTest::addColumn<int>("current");
    // Steps: last, first, bar=N (the scroll bar dragged), click=R (a shown row),
    // wheel=N (notches, negative downwards), delete, add, tall, short (window height),
    // disabled (as in edit mode). Top "end": the last page; "end-N": N rows above it.
    QTest::newRow("opened") << "" << "0" << 0;
    QTest::newRow("last") << "last" << "end" << Persons - 1;
    QTest::newRow("last then first") << "last|first" << "0" << 0;
    QTest::newRow("bar leaves the current row") << "bar=600" << "600" << 0;
    QTest::newRow("bar past the end") << "bar=5000" << "end" << 0;
    QTest::newRow("click a shown row") << "bar=600|click=2" << "600" << 602;
    QTest::newRow("click while disabled") << "bar=600|disabled|click=2" << "600" << 0;
    QTest::newRow("wheel") << "bar=600|wheel=-1|wheel=-1|wheel=1" << "603" << 0;
    QTest::newRow("delete in the middle") << "bar=600|click=3|delete" << "600" << -1;
    QTest::newRow("delete above the window") << "click=1|bar=700|delete" << "699" << -1;
    QTest::newRow("delete the last") << "last|delete" << "end" << -1;
    QTest::newRow("add at the end") << "last|add" << "end-1" << Persons - 1;
    QTest::newRow("add away from the end") << "add|bar=10" << "10" << 0;
    QTest::newRow("taller window") << "last|tall" << "end" << Persons - 1;
    QTest::newRow("shorter window") << "tall|bar=600|click=8|short" << "600" << 608;
}

void TestDBGrid::windowOverALargeSet()
{
    QFETCH(QString, script);
    QFETCH(QString, top);
    QFETCH(int, current);
    TestRegister reg;
    reg.exec("BEGIN");
    m_names.clear();
    for (int i = 0; i < Persons; ++i) {
        m_names << QString("P%1").arg(i, 4, 10, QChar('0'));
        reg.addPerson(QString::number(1000000000000LL + i), m_names.last());
    }
    reg.exec("COMMIT");
    QWidget window;
    m_window = &window;
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(m_grid = new DBGrid(&window));
    layout->addWidget(m_data = new DataControl(&window));
    m_grid->setCaptions({"Nume", "CNP"});
    m_grid->setFields({"Nume", "CNP_C"});
    m_grid->setDataControl(m_data);
    m_data->setRecordSource(SourceTexts::Persons);
    QVERIFY(m_data->refresh());
    window.resize(400, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    checkShown("opened");
    for (const QString &s : script.split('|', Qt::SkipEmptyParts)) {
        step(s);
        if (!QTest::currentTestFailed())
            checkShown(s);
        if (QTest::currentTestFailed())
            return;
    }
    const int full = m_grid->viewport()->height() / m_grid->verticalHeader()->defaultSectionSize();
    Recordset *rs = m_data->recordset();
    QCOMPARE(m_grid->topRecord(), top.startsWith("end")
                                      ? rs->recordCount() - full + top.mid(3).toInt()
                                      : top.toInt());
    QCOMPARE(rs->absolutePosition(), current);
}

void TestDBGrid::step(const QString &step)
{
    Recordset *rs = m_data->recordset();
    const int arg = step.section('=', 1).toInt();
    if (step == "last") {
        rs->moveLast();
    } else if (step == "first") {
        rs->moveFirst();
    } else if (step.startsWith("bar=")) {
        m_grid->verticalScrollBar()->setValue(arg);
    } else if (step.startsWith("click=")) {
        QSignalSpy moved(m_data, &DataControl::reposition);
        const QRect cell = m_grid->visualRect(m_grid->model()->index(arg, 0));
        QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(moved.count(), m_grid->isEnabled() ? 1 : 0);
    } else if (step == "disabled") {
        m_grid->setEnabled(false);
    } else if (step.startsWith("wheel=")) {
        const QPoint at = m_grid->viewport()->rect().center();
        QWheelEvent wheel(at, m_grid->viewport()->mapToGlobal(at), {}, {0, 120 * arg},
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_grid->viewport(), &wheel);
    } else if (step == "delete") {
        m_names.removeAt(rs->absolutePosition());
        QVERIFY(rs->deleteCurrent());
    } else if (step == "add") {
        QVERIFY(rs->addNew() && rs->setValue("CNP_C", "2990101000000")
                && rs->setValue("Nume", "NOU") && rs->update());
        m_names << "NOU";
    } else {
        m_window->resize(400, step == "tall" ? 700 : 200);
    }
    QCoreApplication::processEvents();
}

// The grid shows the set's rows from topRecord() on, as many as it has room
// for and never more, its scroll bar stands at topRecord(), and the current
// row is selected when it is shown.
void TestDBGrid::checkShown(const QString &step)
{
    const QAbstractItemModel *model = m_grid->model();
    const int full = m_grid->viewport()->height() / m_grid->verticalHeader()->defaultSectionSize();
    const int top = m_grid->topRecord(), count = int(m_names.size());
    const QByteArray at = (step + QString(" (top %1)").arg(top)).toUtf8();
    QCOMPARE(m_data->recordset()->recordCount(), count);
    QVERIFY2(model->rowCount() == qMin(full + 1, count - top), at);
    QVERIFY2(top >= 0 && top <= qMax(0, count - full), at);
    for (int r = 0; r < model->rowCount(); ++r)
        QCOMPARE(model->index(r, 0).data().toString(), m_names.value(top + r));
    QCOMPARE(m_grid->rowAt(0), 0);
    QCOMPARE(m_grid->verticalScrollBar()->value(), top);
    QCOMPARE(m_grid->verticalScrollBar()->maximum(), count - full);
    const int current = m_data->recordset()->absolutePosition();
    const QModelIndexList selected = m_grid->selectionModel()->selectedRows();
    const bool shown = current >= top && current < top + model->rowCount();
    QVERIFY2(selected.size() == (shown ? 1 : 0), at);
    QVERIFY2(!shown || top + selected.first().row() == current, at);
}

QTEST_MAIN(TestDBGrid)
#include "tst_dbgrid.moc"
