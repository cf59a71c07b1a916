#include "form3.h"
#include "ui_form3.h"

#include "data/database.h"
#include "widgets/datacontrol.h"
#include "data/recordset.h"
#include "data/sourcetexts.h"
#include "rules/fieldrules.h"
#include "screens/common/messages.h"
#include "screens/common/navigator.h"
#include "screens/common/personchecks.h"
#include "screens/common/personheader.h"
#include "screens/common/widgetrules.h"

namespace {

const QString LinkTable = QStringLiteral("TBL_Complicitate");

// A field as the lists and the record-source texts want it: a number that the
// engine hands back as floating point must not grow a ".0".
QString fieldText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (value.typeId() == QMetaType::Double)
        return FieldRules::decimalText(value.toDouble());
    return value.toString();
}

} // namespace

Form3::Form3(Navigator *navigator, QWidget *parent)
    : Screen(navigator, parent)
    , m_ui(std::make_unique<Ui::Form3>())
{
    m_ui->setupUi(this);
    setScreenTitle(QStringLiteral("Complici"));
    setCancelButton(m_ui->Command6);
    m_ui->DBGrid1->setDataControl(m_ui->Data1);

    connect(m_ui->Data1, &DataControl::reposition, this, &Form3::Data1_Reposition);
    connect(m_ui->Text11, &QLineEdit::textChanged, this, &Form3::Text11_Change);
    connect(m_ui->Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
    connect(m_ui->Command3, &QPushButton::clicked, this, &Form3::Command3_Click);
    connect(m_ui->Command4, &QPushButton::clicked, this, &Form3::Command4_Click);
    connect(m_ui->Command5, &QPushButton::clicked, this, &Form3::Command5_Click);
    connect(m_ui->Command6, &QPushButton::clicked, this, &Form3::Command6_Click);
    connect(m_ui->Command7, &QPushButton::clicked, this, &Form3::Command7_Click);
    connect(m_ui->Command8, &QPushButton::clicked, this, &Form3::Command8_Click);
    connect(m_ui->Command9, &QPushButton::clicked, this, &Form3::Command9_Click);

    WidgetRules::cnpOnLeave(m_ui->Text1);
    // The birth date is kept exactly as typed.
    for (QLineEdit *box : textBoxes()) {
        if (box != m_ui->Text1 && box != m_ui->Text9)
            WidgetRules::trimUpperOnLeave(box);
    }
}

Form3::~Form3() = default;

QList<QLineEdit *> Form3::textBoxes() const
{
    return {m_ui->Text1,  m_ui->Text2,  m_ui->Text3,  m_ui->Text4,  m_ui->Text5,  m_ui->Text6,
            m_ui->Text7,  m_ui->Text8,  m_ui->Text9,  m_ui->Text10, m_ui->Text11, m_ui->Text12,
            m_ui->Text13, m_ui->Text14, m_ui->Text15, m_ui->Text16};
}

void Form3::formLoad()
{
    m_isAdding = false;
    m_ui->Label40->setText(fieldText(Handover::offenceField(navigator(),
                                                            QStringLiteral("infractiune"))));
    Handover::copyPersonHeader(navigator(), this);
    m_ui->Combo1->addItems({QStringLiteral("M"), QStringLiteral("F")});
    m_ui->Combo1->setListText(QStringLiteral("M"));
    for (int sector = 1; sector <= 6; ++sector)
        m_ui->Combo2->addItem(QString::number(sector));
    m_ui->Combo2->setListText(QStringLiteral("1"));
}

// The offence is never remembered here: the offences screen below is blocked
// while this one is open, so its current row is the key at any moment.
QString Form3::offenceCode() const
{
    return fieldText(Handover::offenceField(navigator(), QStringLiteral("cod_infractiune")));
}

void Form3::formActivate()
{
    const QString source = SourceTexts::AccomplicesOfOffence + offenceCode();
    // The link record set runs its statements on the database object it was
    // opened on, so it cannot outlive it; "Salvează" opens it afresh anyway.
    m_linkRecordset.reset();
    DataError error;
    m_screenDb = Database::open(QStringLiteral("Zavoni.mdb"), &error);
    m_ui->Data1->setRecordSource(source);
    m_ui->Data1->refresh();
    setCounter();
}

void Form3::setCounter()
{
    m_ui->Data1->setCaption(m_ui->Data1->counterText());
}

void Form3::Data1_Reposition()
{
    setCounter();
    Recordset *rs = m_ui->Data1->recordset();
    const bool any = rs->recordCount() > 0;
    m_ui->DBGrid1->setEnabled(any);
    m_ui->Data1->setEnabled(any);
    m_ui->Command2->setEnabled(any);
    m_ui->Command5->setEnabled(any);
    if (any && !rs->eof()) {
        // An empty or unknown value leaves the list showing what it showed.
        m_ui->Combo1->setListText(fieldText(rs->value(QStringLiteral("sex"))));
        m_ui->Combo2->setListText(fieldText(rs->value(QStringLiteral("sector"))));
    }
}

void Form3::Text11_Change()
{
    m_ui->Combo2->setEnabled(PersonChecks::hasSectors(m_ui->Text11->text()));
}

void Form3::showFilter(const QString &condition, QPushButton *pressed)
{
    m_ui->Data1->setRecordSource(SourceTexts::AccomplicesOfOffence + offenceCode() + condition);
    m_ui->Data1->refresh();
    setCounter();
    for (QPushButton *button : {m_ui->Command7, m_ui->Command8, m_ui->Command9})
        button->setEnabled(button != pressed);
}

void Form3::Command7_Click()
{
    showFilter(SourceTexts::AccomplicesSexFilter + SourceTexts::quotedKey(QStringLiteral("F")),
               m_ui->Command7);
}

void Form3::Command8_Click()
{
    showFilter(SourceTexts::AccomplicesSexFilter + SourceTexts::quotedKey(QStringLiteral("M")),
               m_ui->Command8);
}

void Form3::Command9_Click()
{
    showFilter(QString(), m_ui->Command9);
}

void Form3::lockInputs(bool locked)
{
    for (QLineEdit *box : textBoxes())
        box->setReadOnly(locked);
    m_ui->Combo1->setLocked(locked);
    m_ui->Combo2->setLocked(locked);
}

void Form3::EnterEditMode()
{
    m_ui->Command1->setEnabled(false);
    m_ui->Command2->setEnabled(false);
    m_ui->Command3->setEnabled(true);
    m_ui->Command4->setEnabled(true);
    m_ui->Command5->setEnabled(false);
    m_ui->Command7->setEnabled(false);
    m_ui->Command8->setEnabled(false);
    m_ui->Command9->setEnabled(false);
    m_ui->Data1->setEnabled(false);
    m_ui->DBGrid1->setEnabled(false);
    lockInputs(false);
}

void Form3::LeaveEditMode()
{
    m_ui->Command1->setEnabled(true);
    m_ui->Command3->setEnabled(false);
    m_ui->Command4->setEnabled(false);
    // With no rows, what needs one keeps the state edit mode gave it; so do
    // the filters, which the next Reposition does not touch.
    if (m_ui->Data1->recordset()->recordCount() > 0) {
        for (QWidget *control : {static_cast<QWidget *>(m_ui->Command2),
                                 static_cast<QWidget *>(m_ui->Command5),
                                 static_cast<QWidget *>(m_ui->Command7),
                                 static_cast<QWidget *>(m_ui->Command8),
                                 static_cast<QWidget *>(m_ui->Command9),
                                 static_cast<QWidget *>(m_ui->Data1),
                                 static_cast<QWidget *>(m_ui->DBGrid1)})
            control->setEnabled(true);
    }
    lockInputs(true);
}

bool Form3::isEditing() const
{
    return m_ui->Command3->isEnabled();
}

void Form3::Command1_Click()
{
    EnterEditMode();
    m_isAdding = true;
    m_ui->Combo1->setListText(QStringLiteral("M"));
    m_ui->Combo2->setListText(QStringLiteral("1"));
    m_ui->Data1->recordset()->addNew();
    m_ui->Text1->setFocus();
}

void Form3::Command2_Click()
{
    m_isAdding = false;
    m_ui->Data1->recordset()->edit();
    EnterEditMode();
}

void Form3::Command3_Click()
{
    // A link row left pending by an earlier press that failed a check goes
    // with the old record set, so at most one link is ever stored per save.
    m_linkRecordset = std::make_unique<Recordset>(m_screenDb.get());
    const bool linkReady = m_linkRecordset->open(LinkTable, Recordset::OpenMode::AppendOnly);

    if (!PersonChecks::cnpAccepted(this, m_ui->Text1))
        return;

    if (m_isAdding) {
        Recordset *link = m_linkRecordset.get();
        if (!linkReady || !link->addNew()
            || !link->setValue(QStringLiteral("cod_infractiune"),
                               Handover::offenceField(navigator(),
                                                      QStringLiteral("cod_infractiune")))
            || !link->setValue(QStringLiteral("CNP"), m_ui->Text1->text())) {
            // Storing the accomplice now would leave it linked to no offence.
            Messages::dataError(this,
                                QStringLiteral("Legătura complicelui cu infractiunea nu poate "
                                               "fi pregătită."),
                                link->lastError());
            return;
        }
    }

    Recordset *rs = m_ui->Data1->recordset();
    if (!rs->setValue(QStringLiteral("sex"), m_ui->Combo1->currentText())
        || !rs->setValue(QStringLiteral("sector"),
                         FieldRules::leadingNumber(m_ui->Combo2->currentText()))) {
        saveFailed(rs->lastError());
        return;
    }

    if (!PersonChecks::namesGiven(this, m_ui->Text4, m_ui->Text6, m_ui->Text7, m_ui->Text8))
        return;

    // The link refers to the accomplice's CNP, so the accomplice goes first.
    if (!rs->update()) {
        saveFailed(rs->lastError());
        return;
    }
    rs->moveLast();
    if (m_isAdding && !m_linkRecordset->update()) {
        // Without its link the accomplice belongs to no offence: it goes out
        // again, and what was typed stays pending for another try.
        const DataError error = m_linkRecordset->lastError();
        QStringList typed;
        for (QLineEdit *box : textBoxes())
            typed << box->text();
        rs->deleteCurrent();
        rs->addNew();
        for (int i = 0; i < typed.size(); ++i)
            textBoxes().at(i)->setText(typed.at(i));
        saveFailed(error);
        return;
    }
    LeaveEditMode();
}

void Form3::saveFailed(const DataError &error)
{
    // Anything but a repeated CNP leaves the pending row as it was, for the
    // operator to correct and save again or to cancel; an accomplice someone
    // else changed meanwhile is told of.
    if (error.number == EngineError::ChangedMeanwhile)
        Messages::dataError(this, QStringLiteral("Complicele nu a putut fi salvat."), error);
    if (error.number != EngineError::DuplicateKey)
        return;

    Recordset *rs = m_ui->Data1->recordset();
    rs->cancelUpdate();
    Messages::ok(this,
                 QStringLiteral("Mai există un complice cu acest CNP ! Datele personale ale "
                                "complicelui vor fi preluate din vechea înregistrare."),
                 QStringLiteral("Există deja."), Messages::Icon::Exclamation);
    // The accomplice already recorded under this CNP becomes one of this
    // offence's; a link that already exists is kept once by the register.
    if (m_isAdding && !m_linkRecordset->update()) {
        Messages::dataError(this,
                            QStringLiteral("Complicele nu a putut fi legat de infractiune."),
                            m_linkRecordset->lastError());
    }
    LeaveEditMode();
    rs->requery();
    rs->moveLast();
}

void Form3::Command4_Click()
{
    m_ui->Data1->recordset()->cancelUpdate();
    LeaveEditMode();
}

void Form3::Command5_Click()
{
    if (!Messages::askYes(this,
                          QStringLiteral("Sunteti sigur că doriti să stergeti acest complice ?"),
                          QStringLiteral("Stergere."), Messages::Icon::Critical))
        return;
    Recordset *rs = m_ui->Data1->recordset();
    if (!rs->deleteCurrent()) {
        Messages::dataError(this, QStringLiteral("Complicele nu a putut fi sters."),
                            rs->lastError());
        return;
    }
    // On an emptied set this makes no row current, and the Reposition it
    // raises still shows 0/0 and disables what needs a row.
    rs->moveLast();
}

void Form3::Command6_Click()
{
    close();
}
