#include "common/scriptedmessages.h"
#include "common/testregister.h"

#include "app/form1.h"
#include "app/screenchain.h"
#include "app/startup.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// The register holds national identification numbers and criminal records:
// who else on the machine may read it.
class TestPrivacy : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void newRegisterOwnerOnly();
    void readableRegisterNamed_data();
    void readableRegisterNamed();
};

namespace {

QString mode(const QString &file)
{
    struct stat st;
    if (::stat(QFile::encodeName(file).constData(), &st) != 0)
        return QStringLiteral("missing");
    return QString::number(st.st_mode & 0777, 8);
}

} // namespace

void TestPrivacy::initTestCase()
{
    // The usual umask, under which a file made without care is readable by all.
    ::umask(022);
}

void TestPrivacy::newRegisterOwnerOnly()
{
    QTemporaryDir dir;
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    ScriptedMessages messages;
    messages.answer(Messages::Answer::Yes);
    QVERIFY(Startup::prepareRegister("Zavoni.mdb"));
    {
        // A screen's own connection keeps the WAL companions in place.
        ScreenChain chain;
        chain.open(ScreenKind::Persons);
        for (const char *file : {"Zavoni.mdb", "Zavoni.mdb-wal", "Zavoni.mdb-shm"})
            QCOMPARE(mode(file), QString("600"));
    }
    QDir::setCurrent(old);
}

void TestPrivacy::readableRegisterNamed_data()
{
    QTest::addColumn<int>("permissions");
    QTest::addColumn<bool>("warned");
    QTest::newRow("owner only") << int(QFile::ReadOwner | QFile::WriteOwner) << false;
    QTest::newRow("group may read")
        << int(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup) << true;
    QTest::newRow("anyone may read")
        << int(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther)
        << true;
}

void TestPrivacy::readableRegisterNamed()
{
    QFETCH(int, permissions);
    QFETCH(bool, warned);
    TestRegister reg;
    QVERIFY(QFile::setPermissions(reg.path(), QFile::Permissions(permissions)));
    const QString before = mode(reg.path());
    ScreenChain chain;
    Form1 form1(&chain);
    const QSize designed = form1.size();
    const QRect button = form1.findChild<QPushButton *>("Command2")->geometry();
    form1.warnIfReadableByOthers("Zavoni.mdb");
    form1.show();
    auto *warning = form1.findChild<QLabel *>("registerWarning");
    QCOMPARE(warning != nullptr, warned);
    QCOMPARE(mode(reg.path()), before);
    if (!warned) {
        QCOMPARE(form1.size(), designed);
        return;
    }
    QVERIFY(warning->isVisible());
    QVERIFY(warning->text().contains("Zavoni.mdb"));
    // The window grew by the line; no designed control moved.
    QVERIFY(warning->y() >= designed.height());
    QVERIFY(form1.rect().contains(warning->geometry()));
    QVERIFY(warning->heightForWidth(warning->width()) <= warning->height());
    QCOMPARE(form1.findChild<QPushButton *>("Command2")->geometry(), button);
}

QTEST_MAIN(TestPrivacy)
#include "tst_privacy.moc"
