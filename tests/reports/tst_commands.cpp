#include "common/screensession.h"
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

namespace {

// Closes the modal window of that name once it shows, and gives its title.
class Closer : public QObject
{
public:
    explicit Closer(const QString &name)
    {
        connect(&m_timer, &QTimer::timeout, this, [this, name] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal && modal->objectName() == name) {
                m_title = modal->windowTitle();
                modal->close();
            }
        });
        m_timer.start(10);
    }
    QString title() const { return m_title; }

private:
    QTimer m_timer;
    QString m_title;
};

} // namespace

// The commands the menus add, and the work they leave to other threads.
class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void statisticsFromStartWindow();
    void dossierFromScreens_data();
    void dossierFromScreens();
    void cancelFromDialog();
    void dailyCopy_data();
    void dailyCopy();
};

void TestCommands::statisticsFromStartWindow()
{
    TestRegister reg;
    ScreenChain chain;
    Form1 form1(&chain);
    form1.show();
    // The figures are counted in the background first; the window comes after.
    Closer closer("StatisticsWindow");
    form1.findChild<QAction *>("StatisticsAction")->trigger();
    QCOMPARE(closer.title(), "Statistici");
}

void TestCommands::dossierFromScreens_data()
{
    QTest::addColumn<bool>("fromOffences");
    QTest::newRow("persons screen") << false;
    QTest::newRow("offences screen") << true;
}

void TestCommands::dossierFromScreens()
{
    QFETCH(bool, fromOffences);
    ScreenSession session;
    session.reg.addPerson("1000000000001", "POPESCU");
    session.reg.addPerson("2000000000002", "ȘTEFĂNESCU", "F", {{"Prenume", "ANA"}});
    QVERIFY(session.open(fromOffences ? ScreenKind::Offences : ScreenKind::Persons, 1));
    QWidget *screen = session.form();
    QVERIFY(UiDriver::activate(screen));
    Closer closer("DossierPreview");
    QTest::keyClick(screen, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(closer.title(), "Dosarul persoanei ȘTEFĂNESCU ANA (C.N.P. 2000000000002)");
    QCOMPARE(session.messages.count(), 0);
}

void TestCommands::cancelFromDialog()
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

void TestCommands::dailyCopy_data()
{
    QTest::addColumn<bool>("closeAtOnce");
    QTest::newRow("window stays") << false;
    QTest::newRow("window closed during the copy") << true;
}

void TestCommands::dailyCopy()
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

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
