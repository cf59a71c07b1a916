#include "common/columns.h"
#include "common/testregister.h"

#include "widgets/datacontrol.h"
#include "widgets/dbgrid.h"
#include "data/recordset.h"
#include "data/sourcetexts.h"

#include <QtTest>
#include <QtWidgets>

static constexpr int Persons = 1200;

// The grid over a set far larger than it shows: a page of the set's rows.
class TestDBGrid : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_reg = std::make_unique<TestRegister>();
        m_reg->exec("BEGIN");
        m_names.clear();
        for (int i = 0; i < Persons; ++i) {
            m_names << QString("P%1").arg(i, 4, 10, QChar('0'));
            m_reg->addPerson(QString::number(1000000000000LL + i), m_names.last());
        }
        m_reg->exec("COMMIT");
        m_window = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(m_window.get());
        m_grid = new DBGrid(m_window.get());
        m_grid->setCaptions({"Nume", "CNP"});
        m_grid->setFields({"Nume", "CNP_C"});
        m_data = new DataControl(m_window.get());
        m_grid->setDataControl(m_data);
        layout->addWidget(m_grid);
        layout->addWidget(m_data);
        m_data->setRecordSource(SourceTexts::Persons);
        QVERIFY(m_data->refresh());
        m_window->resize(400, 300);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup()
    {
        m_window.reset();
        m_reg.reset();
    }

    void windowOverALargeSet_data()
    {
        columns<QString, QString, int>("script", "top", "current");

        // Steps: last, first, bar=N (the scroll bar dragged), click=R (a shown row),
        // wheel=N (notches, negative downwards), delete, add, tall, short (window height),
        // disabled (as in edit mode).
        QTest::newRow("opened") << "" << "0" << 0;
        QTest::newRow("last") << "last" << "end" << Persons - 1;
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
        QTest::newRow("shorter window") << "tall|bar=600|click=2|short" << "600" << 602;
        QTest::newRow("shorter window keeps the current row")
            << "tall|bar=600|click=20|short" << "bottom" << 620;
        QTest::newRow("wheel up at the end") << "last|wheel=1" << "end-3" << Persons - 1;
        QTest::newRow("wheel at the end, refresh") << "last|wheel=1|refresh" << "0" << 0;
    }

    void windowOverALargeSet();

    void keysAndJumps_data()
    {
        // current "page": the rows the grid shows whole; moves: the reposition events raised
        columns<QString, QString, int>("script", "current", "moves");

        // Steps: a key sequence; click=N (the counter clicked, N typed, Enter);
        // goto=N (the same through Ctrl+G); esc=N (typed, then Esc); disabled.
        QTest::newRow("Ctrl+End") << "Ctrl+End" << "1199" << 1;
        QTest::newRow("Ctrl+Home") << "Ctrl+End|Ctrl+Home" << "0" << 2;
        QTest::newRow("Ctrl+Down, Ctrl+Up") << "Ctrl+Down|Ctrl+Down|Ctrl+Up" << "1" << 3;
        QTest::newRow("Page Down, Page Up") << "PgDown|PgDown|PgUp" << "page" << 3;
        QTest::newRow("counter clicked") << "click=600" << "599" << 1;
        QTest::newRow("Ctrl+G, last") << "goto=1200" << "1199" << 1;
        QTest::newRow("past the end refused") << "Ctrl+Down|click=1201" << "1" << 1;
        QTest::newRow("0 refused") << "goto=0" << "0" << 0;
        QTest::newRow("Esc leaves it") << "esc=600" << "0" << 0;
        QTest::newRow("none in edit mode") << "disabled|Ctrl+End|goto=5|click=5" << "0" << 0;
    }

    void keysAndJumps();

private:
    void step(const QString &step)
    {
        Recordset *rs = m_data->recordset();
        const QString arg = step.section('=', 1);
        if (step == "last") {
            rs->moveLast();
        } else if (step == "refresh") {
            QVERIFY(m_data->refresh());
        } else if (step == "first") {
            rs->moveFirst();
        } else if (step.startsWith("bar=")) {
            m_grid->verticalScrollBar()->setValue(arg.toInt());
        } else if (step.startsWith("click=")) {
            QSignalSpy moved(m_data, &DataControl::reposition);
            const QRect cell = m_grid->visualRect(m_grid->model()->index(arg.toInt(), 0));
            QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, cell.center());
            QCOMPARE(moved.count(), m_grid->isEnabled() ? 1 : 0);
        } else if (step == "disabled") {
            m_grid->setEnabled(false);
        } else if (step.startsWith("wheel=")) {
            const QPoint at = m_grid->viewport()->rect().center();
            QWheelEvent wheel(at, m_grid->viewport()->mapToGlobal(at), {}, {0, 120 * arg.toInt()},
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(m_grid->viewport(), &wheel);
        } else if (step == "delete") {
            const int row = rs->absolutePosition();
            QVERIFY(rs->deleteCurrent());
            m_names.removeAt(row);
        } else if (step == "add") {
            QVERIFY(rs->addNew() && rs->setValue("CNP_C", "2990101000000")
                    && rs->setValue("Nume", "NOU") && rs->update());
            m_names << "NOU";
        } else if (step == "tall" || step == "short") {
            m_window->resize(400, step == "tall" ? 700 : 200);
        } else {
            QFAIL(qPrintable("unknown step " + step));
        }
        QCoreApplication::processEvents();
    }

    // The grid shows the set's rows from topRecord() on, as many as it has room
    // for and never more, its scroll bar stands at topRecord(), and the current
    // row is selected when it is shown.
    void checkShown(const QString &step)
    {
        Recordset *rs = m_data->recordset();
        const QAbstractItemModel *model = m_grid->model();
        const int height = m_grid->verticalHeader()->defaultSectionSize();
        const int full = m_grid->viewport()->height() / height;
        const int top = m_grid->topRecord();
        const QString at = step + QString(" (top %1)").arg(top);
        QCOMPARE(rs->recordCount(), int(m_names.size()));
        QVERIFY2(model->rowCount() == qMin(full, int(m_names.size()) - top), qPrintable(at));
        QVERIFY2(top >= 0 && top <= qMax(0, int(m_names.size()) - full), qPrintable(at));
        QCOMPARE(m_grid->rowAt(0), 0);
        for (int r = 0; r < model->rowCount(); ++r) {
            QCOMPARE(model->index(r, 0).data().toString(), m_names.value(top + r));
            QVERIFY2(m_grid->visualRect(model->index(r, 0)).top() == r * height, qPrintable(at));
        }
        QCOMPARE(m_grid->verticalScrollBar()->value(), top);
        QCOMPARE(m_grid->verticalScrollBar()->maximum(), int(m_names.size()) - full);
        const int current = rs->absolutePosition();
        const QModelIndexList selected = m_grid->selectionModel()->selectedRows();
        if (current >= top && current < top + model->rowCount()) {
            QCOMPARE(selected.size(), 1);
            QCOMPARE(top + selected.first().row(), current);
        } else {
            QVERIFY2(selected.isEmpty(), qPrintable(at));
        }
    }

    std::unique_ptr<TestRegister> m_reg;
    std::unique_ptr<QWidget> m_window;
    DBGrid *m_grid = nullptr;
    DataControl *m_data = nullptr;
    QStringList m_names; // what the set holds, in its order
};

void TestDBGrid::windowOverALargeSet()
{
    QFETCH(QString, top);
    QFETCH(int, current);

    checkShown("opened");
    for (const QString &s : cell<QString>("script").split('|', Qt::SkipEmptyParts)) {
        step(s);
        checkShown(s);
        if (QTest::currentTestFailed())
            return;
    }
    const int full = m_grid->viewport()->height() / m_grid->verticalHeader()->defaultSectionSize();
    Recordset *rs = m_data->recordset();
    // "end": the last page of the set; "end-N": N rows above it; "bottom": the
    // current row is the last whole row shown.
    const int wantTop = top == "bottom"         ? rs->absolutePosition() - full + 1
                        : top.startsWith("end") ? rs->recordCount() - full + top.mid(3).toInt()
                                                : top.toInt();
    QCOMPARE(m_grid->topRecord(), wantTop);
    QCOMPARE(rs->absolutePosition(), current);
}

void TestDBGrid::keysAndJumps()
{
    QFETCH(QString, current);

    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QSignalSpy reposition(m_data, &DataControl::reposition);
    auto *position = m_data->findChild<QLineEdit *>("Data1Position");
    for (const QString &s : cell<QString>("script").split('|')) {
        const QString arg = s.section('=', 1);
        if (s == "disabled") {
            m_data->setEnabled(false);
        } else if (s.contains('=')) {
            if (s.startsWith("goto"))
                QTest::keySequence(m_window.get(), QKeySequence("Ctrl+G"));
            else
                QTest::mouseClick(m_data->findChild<QLabel *>(), Qt::LeftButton);
            if (!m_data->isEnabled()) {
                QVERIFY(position->isHidden());
                continue;
            }
            QVERIFY(position->hasFocus());
            QTest::keyClicks(position, arg);
            QTest::keyClick(position, s.startsWith("esc") ? Qt::Key_Escape : Qt::Key_Return);
            QVERIFY(position->isHidden());
        } else {
            QTest::keySequence(m_window.get(), QKeySequence(s));
        }
    }
    const int full = m_grid->viewport()->height() / m_grid->verticalHeader()->defaultSectionSize();
    QCOMPARE(m_data->recordset()->absolutePosition(), current == "page" ? full : current.toInt());
    QTEST(int(reposition.count()), "moves");
}

QTEST_MAIN(TestDBGrid)
#include "tst_dbgrid.moc"
