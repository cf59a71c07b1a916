#include "form5.h"
#include "ui_form5.h"

#include "offencetypes.h"

#include "data/recordset.h"
#include "data/sourcetexts.h"
#include "rules/fieldrules.h"
#include "screens/common/messages.h"
#include "screens/common/navigator.h"
#include "screens/common/optiongroup.h"
#include "screens/common/widgetrules.h"
#include "widgets/datacontrol.h"
#include "widgets/dbgrid.h"

#include <QDate>
#include <QHeaderView>

namespace {

const QString DefaultType = QStringLiteral("UZ DE FALS");

// The register writes dates one way on every machine, whatever its locale.
QString todayText()
{
    return QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
}

// The value labels grow with their text, but only up to the next control on
// their line (or their frame's edge), so a long name never runs over the next
// caption; a text cut that way shows whole in the label's tool tip.
void fitToText(QLabel *label)
{
    const QRect at = label->geometry();
    int room = label->parentWidget()->width() - at.x() - 6;
    for (const QObject *child : label->parentWidget()->children()) {
        const auto *other = qobject_cast<const QWidget *>(child);
        if (other && other != label && other->x() > at.x() && other->y() < at.bottom()
            && other->geometry().bottom() > at.y())
            room = qMin(room, other->x() - at.x() - 4);
    }
    const int wanted = label->sizeHint().width();
    label->resize(qBound(1, wanted, qMax(1, room)), label->height());
    label->setToolTip(wanted > room ? label->text() : QString());
}

} // namespace

Form5::Form5(Navigator *navigator, QWidget *parent)
    : DataScreen(navigator, parent)
    , m_ui(std::make_unique<Ui::Form5>())
{
    m_ui->setupUi(this);
    setScreenTitle(QStringLiteral("Infractiuni comise"));
    setUpData(m_ui->Data1, m_ui->DBGrid1, m_ui->Command4, m_ui->Command6);
    // The longest offence type is read whole; the two flags need little room.
    m_ui->DBGrid1->setColumnWidth(0, 220);
    m_ui->DBGrid1->setColumnWidth(1, 90);
    m_ui->DBGrid1->horizontalHeader()->setStretchLastSection(true);

    connect(m_ui->Data1, &DataControl::reposition, this, &Form5::Data1_Reposition);
    connect(m_ui->Option1, &QRadioButton::clicked, this, &Form5::Option1_Click);
    connect(m_ui->Option2, &QRadioButton::clicked, this, &Form5::Option2_Click);
    connect(m_ui->Option3, &QRadioButton::clicked, this, &Form5::Option3_Click);
    new OptionGroup({m_ui->Option1, m_ui->Option2, m_ui->Option3}, this);
    connect(m_ui->Command1, &QPushButton::clicked, this, &Form5::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &Form5::Command2_Click);
    connect(m_ui->Command3, &QPushButton::clicked, this, &Form5::Command3_Click);
    connect(m_ui->Command5, &QPushButton::clicked, this, &Form5::Command5_Click);
    connect(m_ui->Command7, &QPushButton::clicked, this, &Form5::Command7_Click);
    connect(m_ui->Command8, &QPushButton::clicked, this, &Form5::Command8_Click);
    // Leaving a box only trims it: a description keeps the case it was written
    // in. The fine keeps the amount it begins with.
    WidgetRules::onLeave(m_ui->Text1, FieldRules::trim);
    WidgetRules::onLeave(m_ui->Text2, FieldRules::trim);
    WidgetRules::onLeave(m_ui->Text3, FieldRules::fineForm);
}

Form5::~Form5() = default;

void Form5::formLoad()
{
    m_codPedeapsa = QStringLiteral("A");
    const QList<QLabel *> header{m_ui->Label11, m_ui->Label12, m_ui->Label13, m_ui->Label14,
                                 m_ui->Label15, m_ui->Label16, m_ui->Label17, m_ui->Label18,
                                 m_ui->Label19, m_ui->Label20};
    showPersonHeader(header);
    for (QLabel *label : header)
        fitToText(label);
    const QStringList types = OffenceTypes::all();
    for (const QString &type : types)
        OffenceTypes::addSorted(m_ui->Combo1, type);
    m_ui->Combo1->setListText(DefaultType);
}

void Form5::formActivate()
{
    // Read again on every activation: the screens above may have changed what
    // the offences refer to, and the first offence is current again.
    const QString source = SourceTexts::OffencesOfPerson
                           + SourceTexts::quotedKey(m_ui->Label11->text());
    m_ui->Data1->setDatabaseName(QStringLiteral("Zavoni.mdb"));
    m_ui->Data1->setRecordSource(source);
    m_ui->Data1->refresh();
    showCounter();
}

QVariant Form5::offenceCode() const
{
    if (recordset()->eof())
        return {};
    return recordset()->value(QStringLiteral("cod_infractiune"));
}

QString Form5::offenceText() const
{
    if (recordset()->eof())
        return {};
    return FieldRules::valueText(recordset()->value(QStringLiteral("infractiune")));
}

void Form5::setStatus(QLabel *label, const QString &text)
{
    label->setText(text);
    fitToText(label);
}

void Form5::showEmptySet()
{
    m_ui->Data1->setEnabled(false);
    m_ui->Command2->setEnabled(false);
    m_ui->Command5->setEnabled(false);
    m_ui->Command7->setEnabled(false);
    m_ui->Command8->setEnabled(false);
}

void Form5::Data1_Reposition()
{
    const Recordset *rs = recordset();
    showCounter();
    if (rs->recordCount() == 0) {
        showEmptySet();
        setStatus(m_ui->Label27, QString());
        setStatus(m_ui->Label28, QString());
    }
    if (rs->recordCount() >= 1 && !rs->eof()) {
        // A type the list does not hold (written by another tool) shows as no
        // choice rather than as the type of the offence shown before.
        if (!m_ui->Combo1->setListText(rs->value(QStringLiteral("Infractiune")).toString()))
            m_ui->Combo1->setCurrentIndex(-1);
        setStatus(m_ui->Label27, rs->value(QStringLiteral("Ispasit")).toBool()
                                     ? QStringLiteral("Pedeapsa este ispăsită")
                                     : QStringLiteral("Pedeapsa nu este ispăsită"));
        setStatus(m_ui->Label28, rs->value(QStringLiteral("Suspendare")).toBool()
                                     ? QStringLiteral("Cu suspendare")
                                     : QStringLiteral("Fără suspendare"));
        showPenalty(rs->value(QStringLiteral("Pedeapsa")).toString());
    }
}

void Form5::showPenalty(const QString &code)
{
    // Showing an offence selects its option but never presets a date: merely
    // looking at an offence must not change what a later save stores.
    if (code == QLatin1String("A")) {
        m_ui->Option1->setChecked(true);
        choosePenalty(Penalty::Fine, false);
    }
    if (code == QLatin1String("D")) {
        m_ui->Option2->setChecked(true);
        choosePenalty(Penalty::Detention, false);
    }
    if (code == QLatin1String("S")) {
        m_ui->Option3->setChecked(true);
        choosePenalty(Penalty::Other, false);
    }
}

void Form5::enablePenaltyBoxes(Penalty penalty)
{
    const bool fine = penalty == Penalty::Fine;
    const bool detention = penalty == Penalty::Detention;
    const bool other = penalty == Penalty::Other;
    m_ui->Text2->setEnabled(other);
    m_ui->Text3->setEnabled(fine);
    m_ui->Text4->setEnabled(detention);
    m_ui->Text5->setEnabled(detention);
    m_ui->Label23->setEnabled(other);
    m_ui->Label24->setEnabled(fine);
    m_ui->Label25->setEnabled(detention);
    m_ui->Label26->setEnabled(detention);
    m_ui->Label28->setEnabled(detention);
    m_ui->Check2->setEnabled(detention);
}

void Form5::choosePenalty(Penalty penalty, bool presetStartDate)
{
    enablePenaltyBoxes(penalty);
    switch (penalty) {
    case Penalty::Fine:
        m_codPedeapsa = QStringLiteral("A");
        break;
    case Penalty::Detention:
        if (presetStartDate)
            m_ui->Text4->setText(todayText());
        m_codPedeapsa = QStringLiteral("D");
        break;
    case Penalty::Other:
        m_codPedeapsa = QStringLiteral("S");
        break;
    }
}

void Form5::Option1_Click()
{
    choosePenalty(Penalty::Fine, false);
}

void Form5::Option2_Click()
{
    // A click on the kind already chosen keeps the start date typed or stored.
    choosePenalty(Penalty::Detention, isEditing() && m_codPedeapsa != QLatin1String("D"));
}

void Form5::Option3_Click()
{
    choosePenalty(Penalty::Other, false);
}

void Form5::setInputsLocked(bool locked)
{
    m_ui->Combo1->setLocked(locked);
    m_ui->Text1->setReadOnly(locked);
    m_ui->Text2->setReadOnly(locked);
    m_ui->Text3->setReadOnly(locked);
    m_ui->Text4->setReadOnly(locked);
    m_ui->Text5->setReadOnly(locked);
}

void Form5::EnterEditMode()
{
    m_ui->Command1->setEnabled(false);
    m_ui->Command2->setEnabled(false);
    m_ui->Command5->setEnabled(false);
    m_ui->Command3->setEnabled(true);
    m_ui->Command4->setEnabled(true);
    m_ui->Command7->setEnabled(false);
    m_ui->Command8->setEnabled(false);
    m_ui->DBGrid1->setEnabled(false);
    m_ui->Data1->setEnabled(false);
    setInputsLocked(false);
    m_ui->Check1->show();
    m_ui->Check2->show();
    m_ui->Label27->hide();
    m_ui->Label28->hide();
}

void Form5::LeaveEditMode()
{
    m_ui->Command1->setEnabled(true);
    m_ui->Command3->setEnabled(false);
    m_ui->Command4->setEnabled(false);
    if (recordset()->recordCount() >= 1) {
        m_ui->Command2->setEnabled(true);
        m_ui->Command5->setEnabled(true);
        m_ui->Command7->setEnabled(true);
        m_ui->Command8->setEnabled(true);
        m_ui->DBGrid1->setEnabled(true);
        m_ui->Data1->setEnabled(true);
    }
    setInputsLocked(true);
    m_ui->Check1->hide();
    m_ui->Check2->hide();
    m_ui->Label27->show();
    m_ui->Label28->show();
}

void Form5::Command1_Click()
{
    m_ui->Combo1->setListText(DefaultType);
    if (startAdding(QStringLiteral("Nu poate fi adăugată o infractiune.")))
        m_ui->Combo1->setFocus();
}

void Form5::Command2_Click()
{
    startChanging(QStringLiteral("Infractiunea nu poate fi modificată."));
}

void Form5::fail(const QString &text, const QString &title, QWidget *box)
{
    Messages::ok(this, text, title, Messages::Icon::Exclamation);
    box->setFocus();
}

bool Form5::checkOffence()
{
    if (m_ui->Text1->text().isEmpty()) {
        fail(QStringLiteral("Nu ati introdus descrierea infractiunii !"),
             QStringLiteral("Descrierea infractiunii."), m_ui->Text1);
        return false;
    }
    if (m_ui->Option1->isChecked() && FieldRules::leadingNumber(m_ui->Text3->text()) == 0) {
        fail(QStringLiteral("Nu ati specificat valoarea amenzii !"),
             QStringLiteral("Valoarea amenzii."), m_ui->Text3);
        return false;
    }
    if (m_ui->Option2->isChecked()) {
        if (FieldRules::trim(m_ui->Text4->text()).isEmpty()) {
            fail(QStringLiteral("Nu ati specificat DATA 1 (data de începere a sentintei) !"),
                 QStringLiteral("Data 1."), m_ui->Text4);
            return false;
        }
        if (FieldRules::trim(m_ui->Text5->text()).isEmpty()) {
            fail(QStringLiteral("Nu ati specificat DATA 2 (data de încheiere a sentintei) !"),
                 QStringLiteral("Data 2."), m_ui->Text5);
            return false;
        }
    }
    if (m_ui->Option3->isChecked() && m_ui->Text2->text().isEmpty()) {
        fail(QStringLiteral("Nu ati specificat în ce constă sanctiunea !"),
             QStringLiteral("Altă santiune."), m_ui->Text2);
        return false;
    }
    return true;
}

void Form5::Command3_Click()
{
    Recordset *rs = recordset();
    rs->setValue(QStringLiteral("CNP_C"), m_ui->Label11->text());
    rs->setValue(QStringLiteral("Pedeapsa"), m_codPedeapsa.left(1));
    // With no item chosen (a stored type the list does not hold) the stored
    // type stays rather than being wiped.
    if (m_ui->Combo1->currentIndex() >= 0)
        rs->setValue(QStringLiteral("Infractiune"), m_ui->Combo1->currentText());
    if (!checkOffence())
        return;
    if (!rs->update()) {
        // The typed offence stays on the screen, so that nothing is lost.
        Messages::dataError(this, QStringLiteral("Infractiunea nu a putut fi salvată."),
                            rs->lastError());
        return;
    }
    rs->moveLast();
    LeaveEditMode();
}

void Form5::Command5_Click()
{
    if (!askAndDelete(QStringLiteral("Sunteti sigur că doriti să stergeti acestă infractiune ?"),
                      QStringLiteral("Infractiunea nu a putut fi stearsă.")))
        return;
    if (recordset()->recordCount() >= 1) {
        m_ui->Data1->refresh();
        return;
    }
    showEmptySet();
    showCounter();
    setStatus(m_ui->Label27, QString());
    setStatus(m_ui->Label28, QString());
}

void Form5::Command7_Click()
{
    navigator()->open(ScreenKind::Accomplices);
}

void Form5::Command8_Click()
{
    navigator()->open(ScreenKind::Articles);
}
