#include "form3.h"
#include "ui_form3.h"

#include "data/recordset.h"
#include "data/sourcetexts.h"
#include "reports/registermenu.h"
#include "rules/fieldrules.h"
#include "screens/common/listcommands.h"
#include "screens/common/messages.h"
#include "screens/common/navigator.h"
#include "widgets/datacontrol.h"

namespace {

const QString LinkTable = QStringLiteral("TBL_Complicitate");

} // namespace

Form3::Form3(Navigator *navigator, QWidget *parent)
    : DataScreen(navigator, parent)
    , m_ui(std::make_unique<Ui::Form3>())
{
    m_ui->setupUi(this);
    setScreenTitle(QStringLiteral("Complici"));
    setUpData(m_ui->Data1, m_ui->DBGrid1, m_ui->Command1, m_ui->Command4, m_ui->Command6);
    RegisterMenu::addListCommands(this, m_ui->Data1, QStringLiteral("complici"), {},
                                  [this] { return m_list->order(); });
    m_person = PersonBoxes({m_ui->Text1, m_ui->Text2, m_ui->Text3, m_ui->Text4, m_ui->Text5,
                            m_ui->Text6, m_ui->Text7, m_ui->Text8, m_ui->Text9, m_ui->Text10,
                            m_ui->Text11, m_ui->Text12, m_ui->Text13, m_ui->Text14,
                            m_ui->Text15, m_ui->Text16},
                           m_ui->Combo1, m_ui->Combo2);
    m_person.addCnpHint(false);
    m_list = new ListCommands(
        this, m_ui->Data1, m_ui->DBGrid1, ListCommands::Scope::Rows,
        {QStringLiteral("CNP"), QStringLiteral("Nume"), QStringLiteral("Prenume"),
         QStringLiteral("Porecla1"), QStringLiteral("Porecla2")});
    m_person.setLeaveRules({});

    connect(m_ui->Data1, &DataControl::reposition, this, &Form3::Data1_Reposition);
    connect(m_ui->Text11, &QLineEdit::textChanged, this, &Form3::Text11_Change);
    connect(m_ui->Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
    connect(m_ui->Command3, &QPushButton::clicked, this, &Form3::Command3_Click);
    connect(m_ui->Command5, &QPushButton::clicked, this, &Form3::Command5_Click);
    connect(m_ui->Command7, &QPushButton::clicked, this, &Form3::Command7_Click);
    connect(m_ui->Command8, &QPushButton::clicked, this, &Form3::Command8_Click);
    connect(m_ui->Command9, &QPushButton::clicked, this, &Form3::Command9_Click);
}

Form3::~Form3() = default;

void Form3::formLoad()
{
    m_isAdding = false;
    m_ui->Label40->setText(navigator()->offenceText());
    showPersonHeader({m_ui->Label11, m_ui->Label12, m_ui->Label13, m_ui->Label14, m_ui->Label15,
                      m_ui->Label16, m_ui->Label17, m_ui->Label18, m_ui->Label19,
                      m_ui->Label20});
    m_person.fillLists();
}

// The offence is never remembered here: the offences screen below is blocked
// while this one is open, so its current row is the key at any moment.
QString Form3::offenceKey() const
{
    return FieldRules::valueText(navigator()->offenceCode());
}

void Form3::formActivate()
{
    const QString source = SourceTexts::AccomplicesOfOffence + offenceKey();
    // The link record set runs its statements on the record source's database,
    // which a refresh may open anew; "Salvează" opens it afresh anyway.
    m_linkRecordset.reset();
    m_ui->Data1->setRecordSource(source);
    m_ui->Data1->refresh();
    showCounter();
}

void Form3::Data1_Reposition()
{
    showCounter();
    Recordset *rs = recordset();
    const bool any = rs->recordCount() > 0;
    m_ui->DBGrid1->setEnabled(any);
    m_ui->Data1->setEnabled(any);
    m_ui->Command2->setEnabled(any);
    m_ui->Command5->setEnabled(any);
    if (any && !rs->eof()) {
        // An empty or unknown value leaves the list showing what it showed.
        m_ui->Combo1->setListText(FieldRules::valueText(rs->value(QStringLiteral("sex"))));
        m_ui->Combo2->setListText(FieldRules::valueText(rs->value(QStringLiteral("sector"))));
    }
}

void Form3::Text11_Change()
{
    m_ui->Combo2->setEnabled(FieldRules::hasSectors(m_ui->Text11->text()));
}

void Form3::showFilter(const QString &condition, QPushButton *pressed)
{
    m_ui->Data1->setRecordSource(SourceTexts::AccomplicesOfOffence + offenceKey() + condition);
    m_ui->Data1->refresh();
    showCounter();
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
    m_person.setLocked(false);
}

void Form3::LeaveEditMode()
{
    m_ui->Command1->setEnabled(true);
    m_ui->Command3->setEnabled(false);
    m_ui->Command4->setEnabled(false);
    // With no rows, what needs one keeps the state edit mode gave it; so do
    // the filters, which the next Reposition does not touch.
    if (recordset()->recordCount() > 0) {
        for (QWidget *control : {static_cast<QWidget *>(m_ui->Command2),
                                 static_cast<QWidget *>(m_ui->Command5),
                                 static_cast<QWidget *>(m_ui->Command7),
                                 static_cast<QWidget *>(m_ui->Command8),
                                 static_cast<QWidget *>(m_ui->Command9),
                                 static_cast<QWidget *>(m_ui->Data1),
                                 static_cast<QWidget *>(m_ui->DBGrid1)})
            control->setEnabled(true);
    }
    m_person.setLocked(true);
}

void Form3::Command1_Click()
{
    EnterEditMode();
    m_isAdding = true;
    m_person.presetLists();
    recordset()->addNew();
    m_ui->Text1->setFocus();
}

void Form3::Command2_Click()
{
    m_isAdding = false;
    recordset()->edit();
    EnterEditMode();
}

void Form3::Command3_Click()
{
    // A link row left pending by an earlier press that failed a check goes
    // with the old record set, so at most one link is ever stored per save.
    // It is written on the accomplice's own connection, in its transaction.
    m_linkRecordset = std::make_unique<Recordset>(recordset()->database());
    const bool linkReady = m_linkRecordset->open(LinkTable, Recordset::OpenMode::AppendOnly);

    if (!m_person.cnpAccepted(this))
        return;
    if (m_isAdding && !prepareLink(linkReady))
        return;

    Recordset *rs = recordset();
    if (!rs->setValue(QStringLiteral("sex"), m_ui->Combo1->currentText())
        || !rs->setValue(QStringLiteral("sector"),
                         FieldRules::leadingNumber(m_ui->Combo2->currentText()))) {
        saveFailed(rs->lastError());
        return;
    }

    if (!m_person.namesGiven(this))
        return;

    // A new accomplice and its link are stored together or not at all: one
    // without the other would be unreachable from any offence.
    if (!rs->update(m_isAdding ? m_linkRecordset.get() : nullptr)) {
        saveFailed(rs->lastError());
        return;
    }
    rs->moveLast();
    LeaveEditMode();
}

// The link of the accomplice being added to the offence shown below, ready to
// be stored after it. Storing the accomplice without it would leave it linked
// to no offence: the operator is told, and the save stops.
bool Form3::prepareLink(bool linkReady)
{
    Recordset *link = m_linkRecordset.get();
    if (linkReady && link->addNew()
        && link->setValue(QStringLiteral("cod_infractiune"), navigator()->offenceCode())
        && link->setValue(QStringLiteral("CNP"), m_ui->Text1->text()))
        return true;
    Messages::dataError(this,
                        QStringLiteral("Legătura complicelui cu infractiunea nu poate fi "
                                       "pregătită."),
                        link->lastError());
    return false;
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

    Recordset *rs = recordset();
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

void Form3::Command5_Click()
{
    if (!askAndDelete(QStringLiteral("Sunteti sigur că doriti să stergeti acest complice ?"),
                      QStringLiteral("Complicele nu a putut fi sters.")))
        return;
    // On an emptied set this makes no row current, and the Reposition it
    // raises still shows 0/0 and disables what needs a row.
    recordset()->moveLast();
}
