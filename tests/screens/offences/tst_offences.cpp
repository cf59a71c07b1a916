#include "app/screenchain.h"
#include "common/scriptedmessages.h"
#include "common/testregister.h"
#include "common/uidriver.h"
#include "data/datacontrol.h"
#include "screens/common/lockablecombobox.h"
#include "screens/common/memobox.h"

#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

using Messages::Answer;

namespace {

const QString Popescu = "1700101123456";   // eight offences, every kind of penalty
const QString Ionescu = "2800202123457";   // none
const QString Georgescu = "1900303123458"; // three fines
const QString Vasilescu = "2750404123459"; // one
enum PersonRow { PopescuRow, IonescuRow, GeorgescuRow, VasilescuRow };

const QStringList PenaltyControls = {"Text2",   "Text3",   "Text4",   "Text5",   "Label23",
                                     "Label24", "Label25", "Label26", "Label28", "Check2"};
const QString FineBoxes = "Text3 Label24";
const QString DetentionBoxes = "Text4 Text5 Label25 Label26 Label28 Check2";
const QString OtherBoxes = "Text2 Label23";
const QStringList RecordControls = {"Command2", "Command5", "Command7", "Command8", "Data1"};
const QString AllRecordControls = RecordControls.join(' ');

QString today()
{
    return QDate::currentDate().toString("dd.MM.yyyy");
}

// One operator at work on a fresh register; the register outlives the screens.
struct Session
{
    TestRegister reg;
    ScriptedMessages messages;
    ScreenChain chain;
    QWidget *form5 = nullptr;

    Session()
    {
        reg.addPerson(Popescu, "POPESCU", "M",
                      {{"Initiala", "I"}, {"Prenume", "ION"}, {"Serie_buletin", "RX"},
                       {"Numar_buletin", "123456"}, {"Porecla1", "NASU"},
                       {"Data_nasterii", "01.01.1970"}});
        reg.addPerson(Ionescu, "IONESCU", "F");
        reg.addPerson(Georgescu, "GEORGESCU", "M");
        reg.addPerson(Vasilescu, "VASILESCU", "F");
        reg.addOffence(Popescu, "FURT", "A", {{"Amenda", "250"}, {"Descriere", "furt"},
                                              {"Ispasit", 1}});
        reg.addOffence(Popescu, "FALS", "A", {{"Amenda", "1000"}, {"Descriere", "acte false"},
                                              {"Ispasit", 0}});
        reg.addOffence(Popescu, "LUARE DE MITĂ", "D",
                       {{"Detenta1", "01.02.2020"}, {"Detenta2", "01.02.2022"},
                        {"Descriere", "mită la vamă"}, {"Suspendare", 1}, {"Ispasit", 0}});
        reg.addOffence(Popescu, "CALOMNIE", "D",
                       {{"Detenta1", "05.05.2015"}, {"Suspendare", 0}, {"Ispasit", 1}});
        reg.addOffence(Popescu, "ÎNSELĂCIUNE", "S", {{"Sanctiune", "muncă"}});
        reg.addOffence(Popescu, "CRIMĂ", "S", {{"Sanctiune", "internare"}});
        reg.addOffence(Popescu, "DAUNE MORALE", "");
        reg.addOffence(Popescu, "FURT", "X");
        for (const QString fine : {"10", "20", "30"})
            reg.addOffence(Georgescu, "FALS", "A", {{"Amenda", fine}, {"Descriere", "f" + fine}});
        reg.addOffence(Vasilescu, "CALOMNIE", "S", {{"Sanctiune", "scuze"}});
    }

    // The persons screen, its arrows to the person, "Infractiuni comise".
    bool open(int personRow)
    {
        chain.open(ScreenKind::Persons);
        QWidget *form2 = chain.screen(ScreenKind::Persons);
        auto *arrows = form2->findChild<DataControl *>("Data1");
        QTest::mouseClick(arrows->findChild<QToolButton *>("First"), Qt::LeftButton);
        for (int i = 0; i < personRow; ++i)
            QTest::mouseClick(arrows->findChild<QToolButton *>("Next"), Qt::LeftButton);
        UiDriver::click(form2, "Command9");
        form5 = chain.screen(ScreenKind::Offences);
        return form5 && UiDriver::activate(form5);
    }

    // A click on the row in the list, so that no other offence is shown on the way.
    void moveTo(int row)
    {
        auto *grid = w<QTableView>("DBGrid1");
        const QModelIndex index = grid->model()->index(row, 0);
        grid->scrollTo(index);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
    }

    // "Name" clicks a control, "Name=text" types into a box, "@Name" picks a
    // list's first item with the Home key.
    void run(const QString &script)
    {
        for (const QString &action : script.split('|', Qt::SkipEmptyParts)) {
            const qsizetype eq = action.indexOf('=');
            if (action.startsWith('@'))
                QTest::keyClick(w(action.mid(1)), Qt::Key_Home);
            else if (eq < 0)
                UiDriver::click(form5, action);
            else
                UiDriver::type(form5, action.left(eq), action.mid(eq + 1));
        }
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
    QString label(const QString &name) const { return w<QLabel>(name)->text(); }
    QString focused() const
    {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    }
    int offences(const QString &cnp) { return reg.count("TBL_Infractiuni", "CNP_C = ?", {cnp}); }
    QString lastOffence(const QString &field)
    {
        return reg.value(QString("SELECT \"%1\" FROM TBL_Infractiuni ORDER BY COD_infractiune "
                                 "DESC LIMIT 1").arg(field)).toString();
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
    bool shown(const QString &title, const QString &text, Messages::Icon icon) const
    {
        const Messages::Request box = messages.last();
        const auto buttons = icon == Messages::Icon::Critical ? Messages::Buttons::YesNo
                                                              : Messages::Buttons::Ok;
        return box.title == title && box.text == text && box.icon == icon
               && box.buttons == buttons && box.defaultAnswer == (buttons == Messages::Buttons::Ok
                                                                      ? Answer::Ok : Answer::Yes);
    }
    bool browsing() const
    {
        return w("Command1")->isEnabled() && !w("Command3")->isEnabled()
               && w<MemoBox>("Text1")->isReadOnly() && w<LockableComboBox>("Combo1")->isLocked()
               && w("Label27")->isVisible() && !w("Check1")->isVisible();
    }
};

} // namespace

class TestOffences : public QObject
{
    Q_OBJECT

private slots:
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
    void databaseFailure_data();
    void databaseFailure();
    void closeWhileEditing();
};

void TestOffences::headerHandover_data()
{
    QTest::addColumn<int>("person");
    QTest::addColumn<QString>("cnp");
    QTest::addColumn<QString>("counter");
    QTest::newRow("eight offences") << int(PopescuRow) << Popescu << "1/8";
    QTest::newRow("three offences") << int(GeorgescuRow) << Georgescu << "1/3";
    QTest::newRow("none") << int(IonescuRow) << Ionescu << "0/0";
}

void TestOffences::headerHandover()
{
    QFETCH(int, person);
    QFETCH(QString, cnp);
    QFETCH(QString, counter);
    Session s;
    QVERIFY(s.open(person));
    QVERIFY(s.form5->windowTitle().startsWith("Infractiuni comise - "));
    QCOMPARE(s.label("Label11"), cnp);
    // Box for box what the persons screen shows.
    QWidget *form2 = s.chain.screen(ScreenKind::Persons);
    const QStringList sources = {"Text1", "Text4", "Text5", "Text6", "Combo1",
                                 "Text2", "Text3", "Text7", "Text8", "Text9"};
    for (int i = 0; i < sources.size(); ++i) {
        auto *list = form2->findChild<QComboBox *>(sources[i]);
        const QString shown = list ? list->currentText()
                                   : form2->findChild<QLineEdit *>(sources[i])->text();
        QCOMPARE(s.label(QString("Label%1").arg(11 + i)), shown);
    }
    QCOMPARE(s.counter(), counter);
}

void TestOffences::penaltyShown_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("boxes");
    QTest::addColumn<QString>("served");
    QTest::addColumn<QString>("suspension");

    const QString yes = "Pedeapsa este ispăsită", no = "Pedeapsa nu este ispăsită";
    const QString without = "Fără suspendare";
    QTest::newRow("fine after other") << 4 << 0 << "Option1" << FineBoxes << yes << without;
    QTest::newRow("fine after fine") << 0 << 1 << "Option1" << FineBoxes << no << without;
    QTest::newRow("suspended detention") << 0 << 2 << "Option2" << DetentionBoxes << no
                                         << "Cu suspendare";
    QTest::newRow("detention after other") << 4 << 3 << "Option2" << DetentionBoxes << yes
                                           << without;
    QTest::newRow("other after detention") << 2 << 4 << "Option3" << OtherBoxes << no << without;
    QTest::newRow("empty code keeps detention") << 2 << 6 << "Option2" << DetentionBoxes << no
                                                << without;
    QTest::newRow("empty code keeps fine") << 0 << 6 << "Option1" << FineBoxes << no << without;
    QTest::newRow("unknown code keeps other") << 5 << 7 << "Option3" << OtherBoxes << no
                                              << without;
}

void TestOffences::penaltyShown()
{
    QFETCH(int, before);
    QFETCH(int, row);
    QFETCH(QString, option);
    QFETCH(QString, boxes);
    QFETCH(QString, served);
    QFETCH(QString, suspension);
    Session s;
    QVERIFY(s.open(PopescuRow));
    s.moveTo(before);
    s.moveTo(row);
    QCOMPARE(s.counter(), QString("%1/8").arg(row + 1));
    QVERIFY(s.w<QRadioButton>(option)->isChecked());
    QCOMPARE(s.enabled(PenaltyControls), boxes);
    QCOMPARE(s.label("Label27"), served);
    QCOMPARE(s.label("Label28"), suspension);
    // The stored date is shown as it is, never today's.
    QCOMPARE(s.text("Text4"), s.reg.value("SELECT ifnull(Detenta1, '') FROM TBL_Infractiuni "
                                          "WHERE COD_infractiune = ?", {row + 1}).toString());
    QCOMPARE(s.w<QComboBox>("Combo1")->currentText(),
             s.reg.value("SELECT Infractiune FROM TBL_Infractiuni WHERE COD_infractiune = ?",
                         {row + 1}).toString());
}

void TestOffences::listsShown()
{
    Session s;
    QVERIFY(s.open(PopescuRow));
    auto *types = s.w<LockableComboBox>("Combo1");
    QStringList items;
    for (int i = 0; i < types->count(); ++i)
        items << types->itemText(i);
    QCOMPARE(items, QStringList({"ABUZ ÎN FUNCTIE", "ASCUNDEREA DOVEZILOR", "CALOMNIE", "CRIMĂ",
                                 "DARE DE MITĂ", "DAUNE MATERIALE", "DAUNE MORALE",
                                 "DETURNARE DE FONDURI", "FALS", "FURT", "ÎNSELĂCIUNE",
                                 "LUARE DE MITĂ", "MĂRTURIE MINCINOASĂ", "SUSTRAGERE INFORMATII",
                                 "TENTATIVĂ DE CRIMĂ", "TULBURAREA LINISTII PUBLICE",
                                 "UZ DE FALS"}));
    const QAbstractItemModel *grid = s.w<QTableView>("DBGrid1")->model();
    QCOMPARE(grid->index(0, 1).data().toString(), "A");
    QCOMPARE(grid->index(0, 2).data().toString(), "Da");
    QCOMPARE(grid->index(1, 2).data().toString(), "Nu");
}

void TestOffences::saveChecks_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");

    const QString description = "Descrierea infractiunii.";
    const QString noDescription = "Nu ati introdus descrierea infractiunii !";
    const QString noFine = "Nu ati specificat valoarea amenzii !";
    const QString noEnd = "Nu ati specificat DATA 2 (data de încheiere a sentintei) !";
    const QString noSanction = "Nu ati specificat în ce constă sanctiunea !";
    QTest::newRow("description before fine") << "Command1|Command3" << description
                                             << noDescription << "Text1";
    QTest::newRow("blank description") << "Command1|Text1=   |Text3=100|Command3" << description
                                       << noDescription << "Text1";
    QTest::newRow("fine zero") << "Command1|Text1=mită|Text3=0|Command3" << "Valoarea amenzii."
                               << noFine << "Text3";
    QTest::newRow("fine of letters") << "Command1|Text1=mită|Text3=lei|Command3"
                                     << "Valoarea amenzii." << noFine << "Text3";
    QTest::newRow("start date blank")
        << "Command1|Text1=mită|Option2|Text4=  |Text5=01.01.2030|Command3" << "Data 1."
        << "Nu ati specificat DATA 1 (data de începere a sentintei) !" << "Text4";
    QTest::newRow("end date missing") << "Command1|Text1=mită|Option2|Command3" << "Data 2."
                                      << noEnd << "Text5";
    QTest::newRow("sanction missing") << "Command2|Option3|Command3" << "Altă santiune."
                                      << noSanction << "Text2";
    QTest::newRow("sanction blank") << "Command1|Text1=mită|Option3|Text2=  |Command3"
                                    << "Altă santiune." << noSanction << "Text2";
}

void TestOffences::saveChecks()
{
    QFETCH(QString, script);
    QFETCH(QString, title);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    Session s;
    QVERIFY(s.open(PopescuRow));
    s.run(script);
    QCOMPARE(s.messages.count(), 1);
    QVERIFY(s.shown(title, message, Messages::Icon::Exclamation));
    QCOMPARE(s.focused(), focus);
    QVERIFY(s.w("Command3")->isEnabled());
    QCOMPARE(s.offences(Popescu), 8);
}

void TestOffences::saveStores_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("stored");

    // Infractiune, Pedeapsa, Descriere, Amenda, Detenta1, Detenta2, Sanctiune, Suspendare, Ispasit
    QTest::newRow("fine") << "Command1|Text1=  faptă nouă |Text3=250|Command3"
                          << QStringList{"UZ DE FALS", "A", "faptă nouă", "250", "", "", "", "0",
                                         "0"};
    QTest::newRow("negative fine, served") << "Command1|@Combo1|Text1=x|Text3=-75.50|Check1|"
                                              "Command3"
                                           << QStringList{"ABUZ ÎN FUNCTIE", "A", "x", "75.5",
                                                          "", "", "", "0", "1"};
    QTest::newRow("suspended detention")
        << "Command1|Text1=x|Option2|Text5=31.12.2030|Check2|Command3"
        << QStringList{"UZ DE FALS", "D", "x", "", today(), "31.12.2030", "", "1", "0"};
    QTest::newRow("fine kept under other")
        << "Command1|Text1=x|Text3=300|Option3|Text2=muncă în folosul comunitătii|Command3"
        << QStringList{"UZ DE FALS", "S", "x", "300", "", "", "muncă în folosul comunitătii",
                       "0", "0"};
}

void TestOffences::saveStores()
{
    QFETCH(QString, script);
    QFETCH(QStringList, stored);
    Session s;
    QVERIFY(s.open(PopescuRow));
    s.run(script);
    QCOMPARE(s.messages.count(), 0);
    QCOMPARE(s.offences(Popescu), 9);
    const QStringList fields = {"Infractiune", "Pedeapsa", "Descriere", "Amenda", "Detenta1",
                                "Detenta2", "Sanctiune", "Suspendare", "Ispasit"};
    for (int i = 0; i < fields.size(); ++i)
        QCOMPARE(fields[i] + "=" + s.lastOffence(fields[i]), fields[i] + "=" + stored[i]);
    QCOMPARE(s.lastOffence("CNP_C"), Popescu);
    QCOMPARE(s.counter(), "9/9");
    QCOMPARE(s.w<QComboBox>("Combo1")->currentText(), stored[0]);
    QVERIFY(s.browsing());
}

void TestOffences::addToEmptySet()
{
    Session s;
    QVERIFY(s.open(IonescuRow));
    QCOMPARE(s.w<QComboBox>("Combo1")->currentText(), "UZ DE FALS");
    QCOMPARE(s.enabled(RecordControls), "");
    QCOMPARE(s.label("Label27") + s.label("Label28"), "");
    s.run("Command1");
    const QStringList buttons = {"Command1", "Command2", "Command3", "Command4", "Command5",
                                 "Command6", "Command7", "Command8", "DBGrid1",  "Data1"};
    QCOMPARE(s.enabled(buttons), "Command3 Command4 Command6");
    QCOMPARE(s.focused(), "Combo1");
    QVERIFY(!s.w<LockableComboBox>("Combo1")->isLocked() && !s.w<QLineEdit>("Text5")->isReadOnly());
    QVERIFY(s.w("Check1")->isVisible() && !s.w("Label28")->isVisible());
    s.run("Text1=prima|Text3=100|Command3");
    QCOMPARE(s.offences(Ionescu), 1);
    QCOMPARE(s.counter(), "1/1");
    QCOMPARE(s.enabled(buttons), "Command1 Command2 Command5 Command6 Command7 Command8 DBGrid1 "
                                 "Data1");
    QVERIFY(s.browsing());
}

void TestOffences::modifyFirstOfThree()
{
    Session s;
    QVERIFY(s.open(GeorgescuRow));
    s.run("Command2|Text1=fals în acte|Command3");
    QCOMPARE(s.reg.value("SELECT Descriere FROM TBL_Infractiuni WHERE Amenda = '10'").toString(),
             "fals în acte");
    QCOMPARE(s.offences(Georgescu), 3);
    QCOMPARE(s.counter(), "3/3");
    QCOMPARE(s.text("Text1"), "f30");
}

void TestOffences::cancel_data()
{
    QTest::addColumn<int>("person");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("counter");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("recordControls");
    QTest::newRow("add to empty set") << int(IonescuRow) << -1 << "Command1" << "0/0" << "" << "";
    QTest::newRow("add to several") << int(PopescuRow) << 2 << "Command1" << "3/8"
                                    << "mită la vamă" << AllRecordControls;
    QTest::newRow("modify") << int(PopescuRow) << 1 << "Command2" << "2/8" << "acte false"
                            << AllRecordControls;
}

void TestOffences::cancel()
{
    QFETCH(int, person);
    QFETCH(int, row);
    QFETCH(QString, button);
    QFETCH(QString, counter);
    QFETCH(QString, description);
    QFETCH(QString, recordControls);
    Session s;
    QVERIFY(s.open(person));
    if (row >= 0)
        s.moveTo(row);
    s.run(button + "|Text1=de aruncat|Command4");
    QCOMPARE(s.reg.count("TBL_Infractiuni"), 12);
    QCOMPARE(s.reg.count("TBL_Infractiuni", "Descriere = 'de aruncat'"), 0);
    QCOMPARE(s.counter(), counter);
    QCOMPARE(s.text("Text1"), description);
    QCOMPARE(s.enabled(RecordControls), recordControls);
    QVERIFY(s.browsing());
}

void TestOffences::deleteOffence_data()
{
    QTest::addColumn<int>("person");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<int>("left");
    QTest::addColumn<QString>("counter");
    QTest::addColumn<QString>("recordControls");
    QTest::newRow("answered no") << int(PopescuRow) << 2 << 3 << false << 8 << "3/8"
                                 << AllRecordControls;
    QTest::newRow("one of several") << int(PopescuRow) << 2 << 3 << true << 7 << "1/7"
                                    << AllRecordControls;
    QTest::newRow("the only one") << int(VasilescuRow) << 0 << 12 << true << 0 << "0/0" << "";
}

void TestOffences::deleteOffence()
{
    QFETCH(int, person);
    QFETCH(int, row);
    QFETCH(int, code);
    QFETCH(bool, yes);
    QFETCH(int, left);
    QFETCH(QString, counter);
    QFETCH(QString, recordControls);
    Session s;
    QVERIFY(s.open(person));
    s.moveTo(row);
    const QString cnp = s.label("Label11");
    s.messages.answer(yes ? Answer::Yes : Answer::No);
    s.run("Command5");
    QCOMPARE(s.messages.count(), 1);
    QVERIFY(s.shown("Stergere.", "Sunteti sigur că doriti să stergeti acestă infractiune ?",
                    Messages::Icon::Critical));
    QCOMPARE(s.offences(cnp), left);
    QCOMPARE(s.reg.count("TBL_Infractiuni", "COD_infractiune = ?", {code}), yes ? 0 : 1);
    QCOMPARE(s.counter(), counter);
    QCOMPARE(s.enabled(RecordControls), recordControls);
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
    s.run(button);
    QCOMPARE(s.chain.stack().last(), ScreenKind(kind));
    s.reg.addOffence(Popescu, "FALS", "A", {{"Amenda", "5"}});
    UiDriver::click(s.chain.screen(ScreenKind(kind)), "Command6");
    QCOMPARE(s.chain.stack().last(), ScreenKind::Offences);
    QCOMPARE(s.counter(), "1/9");
    QCOMPARE(s.text("Text1"), "furt");
}

void TestOffences::leaveRules_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("fine: blanks, sign, unit") << "Option1" << "Text3" << "  -12.5 lei" << "12.5";
    QTest::newRow("fine: letters") << "Option1" << "Text3" << "abc" << "0";
    QTest::newRow("fine: empty") << "Option1" << "Text3" << "" << "0";
    QTest::newRow("fine: inner blank") << "Option1" << "Text3" << "1 500" << "1500";
    QTest::newRow("description keeps case") << "Option1" << "Text1" << "  furt mic  "
                                            << "furt mic";
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
    s.run("Command2|" + option + "|" + box + "=" + typed);
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
    s.run(button + "|Option2");
    QCOMPARE(s.enabled(PenaltyControls), DetentionBoxes);
    QCOMPARE(s.text("Text4"), startDate);
    QCOMPARE(s.text("Text5"), "");
    QCOMPARE(s.reg.count("TBL_Infractiuni", "Pedeapsa = 'D' OR Detenta1 = ?", {today()}), 2);
}

void TestOffences::databaseFailure_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("retry");
    QTest::newRow("save") << "BEFORE INSERT" << "Command1|Text1=de păstrat|Text3=40|Command3"
                          << "Infractiunea nu a putut fi salvată." << "Command3";
    QTest::newRow("delete") << "BEFORE DELETE" << "Command5"
                            << "Infractiunea nu a putut fi stearsă." << "";
}

void TestOffences::databaseFailure()
{
    QFETCH(QString, trigger);
    QFETCH(QString, script);
    QFETCH(QString, message);
    QFETCH(QString, retry);
    Session s;
    s.reg.exec("CREATE TRIGGER refuse " + trigger
               + " ON TBL_Infractiuni BEGIN SELECT RAISE(ABORT, 'refuzat'); END");
    QVERIFY(s.open(PopescuRow));
    s.moveTo(1);
    if (retry.isEmpty())
        s.messages.answer(Answer::Yes);
    s.run(script);
    QVERIFY(s.messages.last().text.startsWith(message));
    QCOMPARE(s.offences(Popescu), 8);
    if (retry.isEmpty()) {
        QCOMPARE(s.counter(), "2/8");
        QCOMPARE(s.enabled(RecordControls), AllRecordControls);
        return;
    }
    // Still editing, nothing typed lost: once the engine agrees, the same save goes through.
    QCOMPARE(s.text("Text1") + "/" + s.text("Text3"), "de păstrat/40");
    s.reg.exec("DROP TRIGGER refuse");
    s.run(retry);
    QCOMPARE(s.offences(Popescu), 9);
    QCOMPARE(s.counter(), "9/9");
}

void TestOffences::closeWhileEditing()
{
    Session s;
    QVERIFY(s.open(PopescuRow));
    s.messages.answer(Answer::No);
    s.run("Command1|Text1=neterminat|Command6");
    QCOMPARE(s.messages.count(), 1);
    QVERIFY(s.w("Command3")->isEnabled());
    s.messages.answer(Answer::Yes);
    s.run("Command6");
    QCOMPARE(s.chain.stack().last(), ScreenKind::Persons);
    QCOMPARE(s.offences(Popescu), 8);
}

QTEST_MAIN(TestOffences)
#include "tst_offences.moc"
