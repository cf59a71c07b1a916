#include "app/screenchain.h"
#include "common/scriptedmessages.h"
#include "common/testregister.h"
#include "common/uidriver.h"
#include "data/datacontrol.h"
#include "screens/common/lockablecombobox.h"
#include "screens/common/memobox.h"

#include <QApplication>
#include <QCheckBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <memory>

using Messages::Answer;

namespace {

const QString Popescu = QStringLiteral("1700101123456");   // eight offences
const QString Ionescu = QStringLiteral("2800202123457");   // none
const QString Georgescu = QStringLiteral("1900303123458"); // three fines
const QString Vasilescu = QStringLiteral("2750404123459"); // one

enum PersonRow { PopescuRow, IonescuRow, GeorgescuRow, VasilescuRow };

const QStringList PenaltyControls = {"Text2",   "Text3",   "Text4",   "Text5",   "Label23",
                                     "Label24", "Label25", "Label26", "Label28", "Check2"};

QString today()
{
    return QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
}

// One operator session over a fresh register: the register outlives the screens.
struct Session
{
    TestRegister reg;
    ScriptedMessages messages;
    std::unique_ptr<ScreenChain> chain = std::make_unique<ScreenChain>();
    QWidget *form5 = nullptr;

    Session()
    {
        reg.addPerson(Popescu, "POPESCU", "M",
                      {{"Initiala", "I"}, {"Prenume", "ION"}, {"Serie_buletin", "RX"},
                       {"Numar_buletin", "123456"}, {"Porecla1", "NASU"}, {"Porecla2", "BOSS"},
                       {"Data_nasterii", "01.01.1970"}});
        reg.addPerson(Ionescu, "IONESCU", "F", {{"Prenume", "ANA"}});
        reg.addPerson(Georgescu, "GEORGESCU", "M", {{"Prenume", "DAN"}});
        reg.addPerson(Vasilescu, "VASILESCU", "F", {{"Prenume", "EVA"}});
        reg.addOffence(Popescu, "FURT", "A",
                       {{"Amenda", "250"}, {"Descriere", "furt de lemne"}, {"Ispasit", 1}});
        reg.addOffence(Popescu, "FALS", "A",
                       {{"Amenda", "1000"}, {"Descriere", "acte false"}, {"Ispasit", 0}});
        reg.addOffence(Popescu, "LUARE DE MITĂ", "D",
                       {{"Detenta1", "01.02.2020"}, {"Detenta2", "01.02.2022"},
                        {"Descriere", "mită la vamă"}, {"Suspendare", 1}, {"Ispasit", 0}});
        reg.addOffence(Popescu, "CALOMNIE", "D",
                       {{"Detenta1", "05.05.2015"}, {"Detenta2", "05.06.2015"},
                        {"Suspendare", 0}, {"Ispasit", 1}});
        reg.addOffence(Popescu, "ÎNSELĂCIUNE", "S", {{"Sanctiune", "muncă"}});
        reg.addOffence(Popescu, "CRIMĂ", "S", {{"Sanctiune", "internare"}});
        reg.addOffence(Popescu, "DAUNE MORALE", "");
        reg.addOffence(Popescu, "FURT", "X");
        for (const char *fine : {"10", "20", "30"})
            reg.addOffence(Georgescu, "FALS", "A",
                           {{"Amenda", fine}, {"Descriere", QString("fals %1").arg(fine)}});
        reg.addOffence(Vasilescu, "CALOMNIE", "S", {{"Sanctiune", "scuze"}});
    }

    // Opens the offences screen the way an operator does: the persons screen,
    // its arrows to the person, "Infractiuni comise".
    QWidget *open(int personRow)
    {
        chain->open(ScreenKind::Persons);
        QWidget *form2 = chain->screen(ScreenKind::Persons);
        step(form2, "First");
        for (int i = 0; i < personRow; ++i)
            step(form2, "Next");
        UiDriver::click(form2, "Command9");
        form5 = chain->screen(ScreenKind::Offences);
        if (form5)
            UiDriver::activate(form5);
        return form5;
    }

    static void step(QWidget *form, const char *arrow)
    {
        auto *data = form->findChild<DataControl *>("Data1");
        QTest::mouseClick(data->findChild<QToolButton *>(arrow), Qt::LeftButton);
    }

    // A click on the row in the list, so that no other offence is shown on the way.
    void moveTo(int row)
    {
        auto *grid = w<QTableView>("DBGrid1");
        const QModelIndex index = grid->model()->index(row, 0);
        grid->scrollTo(index);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(index).center());
    }

    template<typename T = QWidget>
    T *w(const QString &name) const
    {
        T *found = form5->findChild<T *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QString counter() const { return w<DataControl>("Data1")->caption(); }
    QString text(const QString &box) const
    {
        if (auto *memo = form5->findChild<MemoBox *>(box))
            return memo->text();
        return w<QLineEdit>(box)->text();
    }
    void click(const QString &name) { UiDriver::click(form5, name); }
    void type(const QString &box, const QString &text) { UiDriver::type(form5, box, text); }
    QString focused() const
    {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }
    int offences(const QString &cnp) { return reg.count("TBL_Infractiuni", "CNP_C = ?", {cnp}); }
    QVariant lastOffence(const QString &field)
    {
        return reg.value(QString("SELECT \"%1\" FROM TBL_Infractiuni ORDER BY COD_infractiune "
                                 "DESC LIMIT 1")
                             .arg(field));
    }
    // Which of the named controls are enabled, space separated.
    QString enabled(const QStringList &names) const
    {
        QStringList on;
        for (const QString &name : names) {
            if (w(name)->isEnabled())
                on << name;
        }
        return on.join(' ');
    }
};

const QString FineBoxes = "Text3 Label24";
const QString DetentionBoxes = "Text4 Text5 Label25 Label26 Label28 Check2";
const QString OtherBoxes = "Text2 Label23";
const QStringList RecordButtons = {"Command2", "Command5", "Command7", "Command8", "Data1"};

} // namespace

class TestOffences : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void headerHandover_data();
    void headerHandover();
    void penaltyShown_data();
    void penaltyShown();
    void listsShown();
    void saveChecks_data();
    void saveChecks();
    void saveStores_data();
    void saveStores();
    void addToEmptySet();
    void modifyFirstOfThree();
    void cancel_data();
    void cancel();
    void deleteOffence_data();
    void deleteOffence();
    void rereadOnReturn_data();
    void rereadOnReturn();
    void leaveRules_data();
    void leaveRules();
    void detentionPreset_data();
    void detentionPreset();
    void saveFailureKeepsTyping();
    void deleteFailureChangesNothing();
    void closeWhileEditing();
};

void TestOffences::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Romanian, QLocale::Romania));
}

void TestOffences::headerHandover_data()
{
    QTest::addColumn<int>("person");
    QTest::addColumn<QString>("cnp");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("counter");
    QTest::newRow("eight offences") << int(PopescuRow) << Popescu << "POPESCU" << "1/8";
    QTest::newRow("three offences") << int(GeorgescuRow) << Georgescu << "GEORGESCU" << "1/3";
    QTest::newRow("none") << int(IonescuRow) << Ionescu << "IONESCU" << "0/0";
}

void TestOffences::headerHandover()
{
    QFETCH(int, person);
    QFETCH(QString, cnp);
    QFETCH(QString, name);
    QFETCH(QString, counter);
    Session s;
    QVERIFY(s.open(person));
    QVERIFY(s.form5->windowTitle().startsWith("Infractiuni comise - "));
    QCOMPARE(s.w<QLabel>("Label11")->text(), cnp);
    QCOMPARE(s.w<QLabel>("Label12")->text(), name);
    // The header shows what the persons screen shows, box for box.
    QWidget *form2 = s.chain->screen(ScreenKind::Persons);
    const QStringList sources = {"Text1", "Text4", "Text5", "Text6", "Combo1",
                                 "Text2", "Text3", "Text7", "Text8", "Text9"};
    for (int i = 0; i < sources.size(); ++i) {
        QString shown;
        if (auto *box = form2->findChild<QLineEdit *>(sources[i]))
            shown = box->text();
        else if (auto *list = form2->findChild<QComboBox *>(sources[i]))
            shown = list->currentText();
        QCOMPARE(s.w<QLabel>(QString("Label%1").arg(11 + i))->text(), shown);
    }
    QCOMPARE(s.counter(), counter);
    // Only this person's offences are listed.
    QCOMPARE(s.w<QTableView>("DBGrid1")->model()->rowCount(), s.offences(cnp));
}

void TestOffences::penaltyShown_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("enabledBoxes");
    QTest::addColumn<QString>("served");
    QTest::addColumn<QString>("suspension");
    QTest::addColumn<QString>("startDate");

    const QString served = "Pedeapsa este ispăsită";
    const QString notServed = "Pedeapsa nu este ispăsită";
    QTest::newRow("fine after other") << 4 << 0 << "Option1" << FineBoxes << served
                                      << "Fără suspendare" << "";
    QTest::newRow("fine after fine") << 0 << 1 << "Option1" << FineBoxes << notServed
                                     << "Fără suspendare" << "";
    QTest::newRow("suspended detention") << 0 << 2 << "Option2" << DetentionBoxes << notServed
                                         << "Cu suspendare" << "01.02.2020";
    QTest::newRow("detention after other") << 4 << 3 << "Option2" << DetentionBoxes << served
                                           << "Fără suspendare" << "05.05.2015";
    QTest::newRow("other after detention") << 2 << 4 << "Option3" << OtherBoxes << notServed
                                           << "Fără suspendare" << "";
    QTest::newRow("empty code keeps detention") << 2 << 6 << "Option2" << DetentionBoxes
                                                << notServed << "Fără suspendare" << "";
    QTest::newRow("empty code keeps fine") << 0 << 6 << "Option1" << FineBoxes << notServed
                                           << "Fără suspendare" << "";
    QTest::newRow("unknown code keeps other") << 5 << 7 << "Option3" << OtherBoxes << notServed
                                              << "Fără suspendare" << "";
}

void TestOffences::penaltyShown()
{
    QFETCH(int, before);
    QFETCH(int, row);
    QFETCH(QString, option);
    QFETCH(QString, enabledBoxes);
    QFETCH(QString, served);
    QFETCH(QString, suspension);
    QFETCH(QString, startDate);
    Session s;
    QVERIFY(s.open(PopescuRow));
    s.moveTo(before);
    s.moveTo(row);

    QCOMPARE(s.counter(), QString("%1/8").arg(row + 1));
    QVERIFY(s.w<QRadioButton>(option)->isChecked());
    QCOMPARE(s.enabled(PenaltyControls), enabledBoxes);
    QCOMPARE(s.w<QLabel>("Label27")->text(), served);
    QCOMPARE(s.w<QLabel>("Label28")->text(), suspension);
    QCOMPARE(s.text("Text4"), startDate);
    const QStringList types = {"FURT", "FALS", "LUARE DE MITĂ", "CALOMNIE",
                               "ÎNSELĂCIUNE", "CRIMĂ", "DAUNE MORALE", "FURT"};
    QCOMPARE(s.w<QComboBox>("Combo1")->currentText(), types.at(row));
}

void TestOffences::listsShown()
{
    Session s;
    QVERIFY(s.open(IonescuRow));
    auto *types = s.w<LockableComboBox>("Combo1");
    QStringList items;
    for (int i = 0; i < types->count(); ++i)
        items << types->itemText(i);
    const QStringList expected = {
        "ABUZ ÎN FUNCTIE", "ASCUNDEREA DOVEZILOR", "CALOMNIE", "CRIMĂ", "DARE DE MITĂ",
        "DAUNE MATERIALE", "DAUNE MORALE", "DETURNARE DE FONDURI", "FALS", "FURT",
        "ÎNSELĂCIUNE", "LUARE DE MITĂ", "MĂRTURIE MINCINOASĂ", "SUSTRAGERE INFORMATII",
        "TENTATIVĂ DE CRIMĂ", "TULBURAREA LINISTII PUBLICE", "UZ DE FALS"};
    QCOMPARE(items, expected);
    QCOMPARE(types->currentText(), "UZ DE FALS");
    QVERIFY(types->isLocked());

    Session p;
    QVERIFY(p.open(PopescuRow));
    const QAbstractItemModel *grid = p.w<QTableView>("DBGrid1")->model();
    QCOMPARE(grid->headerData(2, Qt::Horizontal).toString(), "Ispăsită");
    QCOMPARE(grid->index(0, 1).data().toString(), "A");
    QCOMPARE(grid->index(0, 2).data().toString(), "Da");
    QCOMPARE(grid->index(1, 2).data().toString(), "Nu");
}

void TestOffences::saveChecks_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("fine");
    QTest::addColumn<QString>("startDate");
    QTest::addColumn<QString>("endDate");
    QTest::addColumn<QString>("sanction");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");

    // A null text is left untouched; the option is the one shown before when empty.
    const QString none;
    const QString noDescription = "Nu ati introdus descrierea infractiunii !";
    const QString noFine = "Nu ati specificat valoarea amenzii !";
    QTest::newRow("description before fine") << "" << none << none << none << none << none
                                             << "Descrierea infractiunii." << noDescription
                                             << "Text1";
    QTest::newRow("blank description") << "" << "   " << "100" << none << none << none
                                       << "Descrierea infractiunii." << noDescription << "Text1";
    QTest::newRow("fine zero") << "" << "mită" << "0" << none << none << none
                               << "Valoarea amenzii." << noFine << "Text3";
    QTest::newRow("fine not a number") << "" << "mită" << "lei" << none << none << none
                                       << "Valoarea amenzii." << noFine << "Text3";
    QTest::newRow("start date blank") << "Option2" << "mită" << none << "   " << "01.01.2030"
                                      << none << "Data 1."
                                      << "Nu ati specificat DATA 1 (data de începere a sentintei) !"
                                      << "Text4";
    QTest::newRow("end date missing") << "Option2" << "mită" << none << none << none << none
                                      << "Data 2."
                                      << "Nu ati specificat DATA 2 (data de încheiere a sentintei) !"
                                      << "Text5";
    QTest::newRow("end date blank") << "Option2" << "mită" << none << none << "  " << none
                                    << "Data 2."
                                    << "Nu ati specificat DATA 2 (data de încheiere a sentintei) !"
                                    << "Text5";
    QTest::newRow("sanction missing") << "Option3" << "mită" << "0" << none << none << none
                                      << "Altă santiune."
                                      << "Nu ati specificat în ce constă sanctiunea !" << "Text2";
    QTest::newRow("sanction blank") << "Option3" << "mită" << none << none << none << "  "
                                    << "Altă santiune."
                                    << "Nu ati specificat în ce constă sanctiunea !" << "Text2";
}

void TestOffences::saveChecks()
{
    QFETCH(QString, option);
    QFETCH(QString, description);
    QFETCH(QString, fine);
    QFETCH(QString, startDate);
    QFETCH(QString, endDate);
    QFETCH(QString, sanction);
    QFETCH(QString, title);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    Session s;
    QVERIFY(s.open(PopescuRow));
    s.click("Command1");
    if (!description.isNull())
        s.type("Text1", description);
    if (!fine.isNull())
        s.type("Text3", fine);
    if (!option.isEmpty())
        s.click(option);
    if (!startDate.isNull())
        s.type("Text4", startDate);
    if (!endDate.isNull())
        s.type("Text5", endDate);
    if (!sanction.isNull())
        s.type("Text2", sanction);
    s.click("Command3");

    QCOMPARE(s.messages.count(), 1);
    const Messages::Request shown = s.messages.last();
    QCOMPARE(shown.title, title);
    QCOMPARE(shown.text, message);
    QCOMPARE(shown.icon, Messages::Icon::Exclamation);
    QCOMPARE(shown.buttons, Messages::Buttons::Ok);
    QCOMPARE(s.focused(), focus);
    // Still editing, with what was typed, and nothing stored.
    QVERIFY(s.w("Command3")->isEnabled());
    if (!description.isNull())
        QCOMPARE(s.text("Text1"), description.trimmed());
    QCOMPARE(s.offences(Popescu), 8);
}

void TestOffences::saveStores_data()
{
    QTest::addColumn<bool>("firstType");
    QTest::addColumn<QString>("fine");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("endDate");
    QTest::addColumn<QString>("sanction");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<QVariantList>("stored");

    // Stored: Infractiune, Pedeapsa, Amenda, Detenta1, Detenta2, Sanctiune, Suspendare, Ispasit.
    const QString none;
    QTest::newRow("fine") << false << "250" << "" << none << none << false
                          << QVariantList{"UZ DE FALS", "A", "250", {}, {}, {}, 0, 0};
    QTest::newRow("negative fine") << true << "  -75.50" << "" << none << none << true
                                   << QVariantList{"ABUZ ÎN FUNCTIE", "A", "75.5", {}, {}, {}, 0, 1};
    QTest::newRow("suspended detention")
        << false << none << "Option2" << "31.12.2030" << none << true
        << QVariantList{"UZ DE FALS", "D", {}, today(), "31.12.2030", {}, 1, 1};
    QTest::newRow("fine kept under other sanction")
        << false << "300" << "Option3" << none << "muncă în folosul comunitătii" << false
        << QVariantList{"UZ DE FALS", "S", "300", {}, {}, "muncă în folosul comunitătii", 0, 0};
}

void TestOffences::saveStores()
{
    QFETCH(bool, firstType);
    QFETCH(QString, fine);
    QFETCH(QString, option);
    QFETCH(QString, endDate);
    QFETCH(QString, sanction);
    QFETCH(bool, tick);
    QFETCH(QVariantList, stored);
    Session s;
    QVERIFY(s.open(PopescuRow));
    s.click("Command1");
    QCOMPARE(s.focused(), "Combo1");
    if (firstType)
        QTest::keyClick(s.w("Combo1"), Qt::Key_Home);
    s.type("Text1", "  faptă nouă ");
    if (!fine.isNull())
        s.type("Text3", fine);
    if (!option.isEmpty())
        s.click(option);
    if (!endDate.isNull())
        s.type("Text5", endDate);
    if (!sanction.isNull())
        s.type("Text2", sanction);
    if (tick) {
        s.click("Check1");
        if (s.w("Check2")->isEnabled())
            s.click("Check2");
    }
    s.click("Command3");

    QCOMPARE(s.messages.count(), 0);
    QCOMPARE(s.offences(Popescu), 9);
    const QStringList fields = {"Infractiune", "Pedeapsa", "Amenda", "Detenta1",
                                "Detenta2", "Sanctiune", "Suspendare", "Ispasit"};
    for (int i = 0; i < fields.size(); ++i) {
        const QVariant value = s.lastOffence(fields[i]);
        QCOMPARE(value.isNull() ? QVariant() : value.toString(),
                 stored[i].isNull() ? QVariant() : stored[i].toString());
    }
    QCOMPARE(s.lastOffence("CNP_C").toString(), Popescu);
    QCOMPARE(s.lastOffence("Descriere").toString(), "faptă nouă");
    // Back to browsing, on the new row at the end.
    QCOMPARE(s.counter(), "9/9");
    QCOMPARE(s.w<QComboBox>("Combo1")->currentText(), stored[0].toString());
    QVERIFY(!s.w("Command3")->isEnabled());
    QVERIFY(s.w("Command1")->isEnabled());
    QVERIFY(s.w("Label27")->isVisible());
    QVERIFY(!s.w("Check1")->isVisible());
}

void TestOffences::addToEmptySet()
{
    Session s;
    QVERIFY(s.open(IonescuRow));
    QCOMPARE(s.counter(), "0/0");
    QCOMPARE(s.enabled(RecordButtons + QStringList{"Command1", "Command6"}),
             "Command1 Command6");
    QCOMPARE(s.w<QLabel>("Label27")->text(), "");
    QCOMPARE(s.w<QLabel>("Label28")->text(), "");

    s.click("Command1");
    const QStringList modeControls = {"Command1", "Command2", "Command3", "Command4",
                                      "Command5", "Command6", "Command7", "Command8",
                                      "DBGrid1",  "Data1"};
    QCOMPARE(s.enabled(modeControls), "Command3 Command4 Command6");
    QVERIFY(!s.w<LockableComboBox>("Combo1")->isLocked());
    QVERIFY(!s.w<MemoBox>("Text1")->isReadOnly());
    QVERIFY(!s.w<QLineEdit>("Text3")->isReadOnly());
    QVERIFY(s.w("Check1")->isVisible() && s.w("Check2")->isVisible());
    QVERIFY(!s.w("Label27")->isVisible() && !s.w("Label28")->isVisible());

    s.type("Text1", "prima faptă");
    s.type("Text3", "100");
    s.click("Command3");
    QCOMPARE(s.messages.count(), 0);
    QCOMPARE(s.offences(Ionescu), 1);
    QCOMPARE(s.counter(), "1/1");
    QCOMPARE(s.enabled(modeControls), "Command1 Command2 Command5 Command6 Command7 Command8 "
                                      "DBGrid1 Data1");
    QVERIFY(s.w<LockableComboBox>("Combo1")->isLocked());
    QVERIFY(s.w<MemoBox>("Text1")->isReadOnly());
    QCOMPARE(s.w<QLabel>("Label27")->text(), "Pedeapsa nu este ispăsită");
}

void TestOffences::modifyFirstOfThree()
{
    Session s;
    QVERIFY(s.open(GeorgescuRow));
    QCOMPARE(s.counter(), "1/3");
    s.click("Command2");
    s.type("Text1", "fals în acte");
    s.click("Command3");
    QCOMPARE(s.messages.count(), 0);
    QCOMPARE(s.reg.value("SELECT Descriere FROM TBL_Infractiuni WHERE Amenda = '10'").toString(),
             "fals în acte");
    QCOMPARE(s.offences(Georgescu), 3);
    QCOMPARE(s.counter(), "3/3");
    QCOMPARE(s.text("Text1"), "fals 30");
}

void TestOffences::cancel_data()
{
    QTest::addColumn<int>("person");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("counter");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("recordButtons");

    const QString all = RecordButtons.join(' ');
    QTest::newRow("add to empty set") << int(IonescuRow) << 0 << "Command1" << "0/0" << ""
                                      << "";
    QTest::newRow("add to several") << int(PopescuRow) << 2 << "Command1" << "3/8"
                                    << "mită la vamă" << all;
    QTest::newRow("modify") << int(PopescuRow) << 1 << "Command2" << "2/8" << "acte false"
                            << all;
}

void TestOffences::cancel()
{
    QFETCH(int, person);
    QFETCH(int, row);
    QFETCH(QString, button);
    QFETCH(QString, counter);
    QFETCH(QString, description);
    QFETCH(QString, recordButtons);
    Session s;
    QVERIFY(s.open(person));
    if (s.counter() != "0/0")
        s.moveTo(row);
    const int before = s.reg.count("TBL_Infractiuni");
    s.click(button);
    s.type("Text1", "de aruncat");
    s.click("Command4");
    QCOMPARE(s.reg.count("TBL_Infractiuni"), before);
    QCOMPARE(s.reg.count("TBL_Infractiuni", "Descriere = ?", {"de aruncat"}), 0);
    QCOMPARE(s.counter(), counter);
    QCOMPARE(s.text("Text1"), description);
    QCOMPARE(s.enabled(RecordButtons), recordButtons);
    QVERIFY(s.w("Command1")->isEnabled());
    QVERIFY(!s.w("Command3")->isEnabled());
    QVERIFY(s.w<MemoBox>("Text1")->isReadOnly());
}

void TestOffences::deleteOffence_data()
{
    QTest::addColumn<int>("person");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<int>("left");
    QTest::addColumn<QString>("counter");
    QTest::addColumn<QString>("recordButtons");

    const QString all = RecordButtons.join(' ');
    QTest::newRow("answered no") << int(PopescuRow) << 2 << false << 8 << "3/8" << all;
    QTest::newRow("one of several") << int(PopescuRow) << 2 << true << 7 << "1/7" << all;
    QTest::newRow("the only one") << int(VasilescuRow) << 0 << true << 0 << "0/0" << "";
}

void TestOffences::deleteOffence()
{
    QFETCH(int, person);
    QFETCH(int, row);
    QFETCH(bool, yes);
    QFETCH(int, left);
    QFETCH(QString, counter);
    QFETCH(QString, recordButtons);
    Session s;
    QVERIFY(s.open(person));
    s.moveTo(row);
    const QString cnp = s.w<QLabel>("Label11")->text();
    const QString description = s.text("Text1");
    s.messages.answer(yes ? Answer::Yes : Answer::No);
    s.click("Command5");

    QCOMPARE(s.messages.count(), 1);
    const Messages::Request asked = s.messages.last();
    QCOMPARE(asked.text, "Sunteti sigur că doriti să stergeti acestă infractiune ?");
    QCOMPARE(asked.title, "Stergere.");
    QCOMPARE(asked.icon, Messages::Icon::Critical);
    QCOMPARE(asked.buttons, Messages::Buttons::YesNo);
    QCOMPARE(asked.defaultAnswer, Answer::Yes);
    QCOMPARE(s.offences(cnp), left);
    QCOMPARE(s.reg.count("TBL_Infractiuni", "CNP_C = ? AND Descriere IS ?", {cnp, description}),
             yes ? 0 : 1);
    QCOMPARE(s.counter(), counter);
    QCOMPARE(s.enabled(RecordButtons), recordButtons);
    QVERIFY(s.w("Command1")->isEnabled());
}

void TestOffences::rereadOnReturn_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("kind");
    QTest::newRow("accomplices") << "Command7" << int(ScreenKind::Accomplices);
    QTest::newRow("articles") << "Command8" << int(ScreenKind::Articles);
}

void TestOffences::rereadOnReturn()
{
    QFETCH(QString, button);
    QFETCH(int, kind);
    Session s;
    QVERIFY(s.open(PopescuRow));
    s.moveTo(2);
    QCOMPARE(s.counter(), "3/8");
    s.click(button);
    QCOMPARE(s.chain->stack().last(), ScreenKind(kind));
    // Changed behind the screen's back while it waits below.
    s.reg.addOffence(Popescu, "FALS", "A", {{"Amenda", "5"}});
    UiDriver::click(s.chain->screen(ScreenKind(kind)), "Command6");
    QCOMPARE(s.chain->stack().last(), ScreenKind::Offences);
    QCOMPARE(s.counter(), "1/9");
    QCOMPARE(s.w<QComboBox>("Combo1")->currentText(), "FURT");
    QCOMPARE(s.text("Text1"), "furt de lemne");
}

void TestOffences::leaveRules_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("fine with blanks, sign and unit") << "Option1" << "Text3" << "  -12.5 lei"
                                                     << "12.5";
    QTest::newRow("fine of letters") << "Option1" << "Text3" << "abc" << "0";
    QTest::newRow("fine empty") << "Option1" << "Text3" << "" << "0";
    QTest::newRow("fine with inner blank") << "Option1" << "Text3" << "1 500" << "1500";
    QTest::newRow("description keeps case") << "Option1" << "Text1" << "  furt mărunt  "
                                            << "furt mărunt";
    QTest::newRow("sanction keeps case") << "Option3" << "Text2" << " Muncă " << "Muncă";
}

void TestOffences::leaveRules()
{
    QFETCH(QString, option);
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    Session s;
    QVERIFY(s.open(PopescuRow));
    s.click("Command2");
    s.click(option);
    s.type(box, typed);
    UiDriver::focus(s.form5, "Combo1");
    QCOMPARE(s.text(box), shown);
}

void TestOffences::detentionPreset_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("startDate");
    QTest::newRow("browsing") << "" << "";
    QTest::newRow("adding") << "Command1" << today();
    QTest::newRow("modifying") << "Command2" << today();
}

void TestOffences::detentionPreset()
{
    QFETCH(QString, button);
    QFETCH(QString, startDate);
    Session s;
    QVERIFY(s.open(PopescuRow));
    if (!button.isEmpty())
        s.click(button);
    s.click("Option2");
    QCOMPARE(s.enabled(PenaltyControls), DetentionBoxes);
    QCOMPARE(s.text("Text4"), startDate);
    QCOMPARE(s.text("Text5"), "");
    if (button.isEmpty()) {
        // Looking is not changing: nothing was stored by the click.
        QCOMPARE(s.reg.count("TBL_Infractiuni", "Pedeapsa = 'D' OR Detenta1 = ?", {today()}), 2);
    }
}

void TestOffences::saveFailureKeepsTyping()
{
    Session s;
    s.reg.exec("CREATE TRIGGER refuse BEFORE INSERT ON TBL_Infractiuni "
               "BEGIN SELECT RAISE(ABORT, 'refuzat'); END");
    QVERIFY(s.open(PopescuRow));
    s.click("Command1");
    s.type("Text1", "nu se salvează");
    s.type("Text3", "40");
    s.click("Command3");
    QCOMPARE(s.messages.count(), 1);
    QVERIFY(s.messages.last().text.startsWith("Infractiunea nu a putut fi salvată."));
    QVERIFY(s.w("Command3")->isEnabled());
    QCOMPARE(s.text("Text1"), "nu se salvează");
    QCOMPARE(s.text("Text3"), "40");
    QCOMPARE(s.offences(Popescu), 8);

    s.reg.exec("DROP TRIGGER refuse");
    s.click("Command3");
    QCOMPARE(s.messages.count(), 1);
    QCOMPARE(s.offences(Popescu), 9);
    QCOMPARE(s.counter(), "9/9");
}

void TestOffences::deleteFailureChangesNothing()
{
    Session s;
    s.reg.exec("CREATE TRIGGER keep BEFORE DELETE ON TBL_Infractiuni "
               "BEGIN SELECT RAISE(ABORT, 'păstrat'); END");
    QVERIFY(s.open(PopescuRow));
    s.moveTo(1);
    s.messages.answer(Answer::Yes);
    s.click("Command5");
    QCOMPARE(s.messages.count(), 2);
    QVERIFY(s.messages.last().text.startsWith("Infractiunea nu a putut fi stearsă."));
    QCOMPARE(s.offences(Popescu), 8);
    QCOMPARE(s.counter(), "2/8");
    QCOMPARE(s.enabled(RecordButtons), RecordButtons.join(' '));
}

void TestOffences::closeWhileEditing()
{
    Session s;
    QVERIFY(s.open(PopescuRow));
    s.click("Command1");
    s.type("Text1", "neterminat");
    s.messages.answer(Answer::No);
    s.click("Command6");
    QCOMPARE(s.messages.count(), 1);
    QCOMPARE(s.chain->stack().last(), ScreenKind::Offences);
    QVERIFY(s.w("Command3")->isEnabled());

    s.messages.answer(Answer::Yes);
    s.click("Command6");
    QCOMPARE(s.chain->stack().last(), ScreenKind::Persons);
    QCOMPARE(s.offences(Popescu), 8);
}

QTEST_MAIN(TestOffences)
#include "tst_offences.moc"
