#include "common/testregister.h"

#include "app/form1.h"
#include "app/screenchain.h"
#include "output/backup.h"
#include "output/progress.h"
#include "reports/backgroundwork.h"
#include "reports/dailycopy.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestBackground : public QObject
{
    Q_OBJECT

private slots:
    void statisticsFromStartWindow();
    void cancelFromDialog();
    void dailyCopy_data();
    void dailyCopy();
};

void TestBackground::statisticsFromStartWindow()
{
    TestRegister reg;
    ScreenChain chain;
    Form1 form1(&chain);
    form1.show();
    // The figures are counted in the background first; the window comes after.
    bool opened = false;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&opened] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->objectName() == "StatisticsWindow") {
            opened = true;
            modal->close();
        }
    });
    closer.start(10);
    form1.findChild<QAction *>("StatisticsAction")->trigger();
    QVERIFY(opened);
}

void TestBackground::cancelFromDialog()
{
    QWidget window;
    window.show();
    QString button;
    QTimer clicker;
    connect(&clicker, &QTimer::timeout, this, [&button] {
        auto *dialog = qobject_cast<QProgressDialog *>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible()) {
            auto *cancel = dialog->findChild<QPushButton *>();
            button = cancel->text();
            cancel->click();
        }
    });
    clicker.start(50);
    bool cancelled = false;
    BackgroundWork::run(&window, "Se lucrează...", [&cancelled](Progress *progress) {
        progress->setTotal(100);
        while (!progress->cancelled())
            QThread::msleep(5);
        cancelled = true;
    });
    QVERIFY(cancelled);
    QCOMPARE(button, "Anulează");
}

void TestBackground::dailyCopy_data()
{
    QTest::addColumn<bool>("closeAtOnce");
    QTest::newRow("window stays") << false;
    QTest::newRow("window closed during the copy") << true;
}

void TestBackground::dailyCopy()
{
    QFETCH(bool, closeAtOnce);
    TestRegister reg;
    reg.addPerson("1800101123456", "POPESCU");
    const QString today = Backup::defaultName(QDate::currentDate());
    auto window = std::make_unique<QWidget>();
    DailyCopy::start(window.get(), reg.path());
    const QDir folder(Backup::dailyFolder(reg.path()));
    if (closeAtOnce) {
        window.reset(); // waits for the copy, cut short or whole
        const QStringList left = folder.entryList(QDir::Files | QDir::Hidden);
        QVERIFY2(left.isEmpty() || left == QStringList(today), qPrintable(left.join(' ')));
        return;
    }
    QTRY_VERIFY(!window->findChild<DailyCopy *>());
    QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden), QStringList(today));
    DailyCopy::start(window.get(), reg.path()); // once a day
    QVERIFY(!window->findChild<DailyCopy *>());
}

QTEST_MAIN(TestBackground)
#include "tst_background.moc"
