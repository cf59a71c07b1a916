#include "form2.h"
#include "ui_form2.h"

#include "data/recordset.h"
#include "data/sourcetexts.h"
#include "reports/registermenu.h"
#include "rules/fieldrules.h"
#include "screens/common/listcommands.h"
#include "screens/common/messages.h"
#include "screens/common/navigator.h"
#include "widgets/datacontrol.h"

namespace {

// A stored value that is not among the items shows as an empty list rather
// than as the item last shown, which would belong to another person.
void showInList(LockableComboBox *list, const QString &text)
{
    if (!list->setListText(text))
        list->setCurrentIndex(-1);
}

} // namespace

Form2::Form2(Navigator *navigator, QWidget *parent)
    : DataScreen(navigator, parent)
    , m_ui(std::make_unique<Ui::Form2>())
{
    m_ui->setupUi(this);
    setScreenTitle(QStringLiteral("Persoanele zavone"));
    setUpData(m_ui->Data1, m_ui->DBGrid1, m_ui->Command1, m_ui->Command4, m_ui->Command6);
    RegisterMenu::addRegisterCommands(this, m_ui->Data1->databaseName());
    RegisterMenu::addListCommands(this, m_ui->Data1, QStringLiteral("persoane"), [this] {
        return recordset()->eof() ? QString()
                                  : recordset()->value(QStringLiteral("CNP_C")).toString();
    }, [this] { return m_list->order(); });
    m_person = PersonBoxes({m_ui->Text1, m_ui->Text2, m_ui->Text3, m_ui->Text4, m_ui->Text5,
                            m_ui->Text6, m_ui->Text7, m_ui->Text8, m_ui->Text9, m_ui->Text10,
                            m_ui->Text11, m_ui->Text12, m_ui->Text13, m_ui->Text14,
                            m_ui->Text15, m_ui->Text16, m_ui->Text17, m_ui->Text18},
                           m_ui->Combo1, m_ui->Combo2);
    m_person.addCnpHint(true);
    m_list = new ListCommands(
        this, m_ui->Data1, m_ui->DBGrid1, ListCommands::Scope::Register,
        {QStringLiteral("CNP_C"), QStringLiteral("Nume"), QStringLiteral("Prenume"),
         QStringLiteral("Porecla1"), QStringLiteral("Porecla2")});
    // The identity card number is kept as typed: its letters may be lower case.
    m_person.setLeaveRules({m_ui->Text3});

    connect(m_ui->Data1, &DataControl::reposition, this, &Form2::Data1_Reposition);
    connect(m_ui->Text13, &QLineEdit::textChanged, this, &Form2::Text13_Change);
    connect(m_ui->Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(m_ui->Command3, &QPushButton::clicked, this, &Form2::Command3_Click);
    connect(m_ui->Command5, &QPushButton::clicked, this, &Form2::Command5_Click);
    connect(m_ui->Command9, &QPushButton::clicked, this, &Form2::Command9_Click);
    connect(m_ui->Command11, &QPushButton::clicked, this, &Form2::Command11_Click);
    connect(m_ui->Command12, &QPushButton::clicked, this, &Form2::Command12_Click);
    connect(m_ui->Command13, &QPushButton::clicked, this, &Form2::Command13_Click);
}

Form2::~Form2() = default;

QStringList Form2::shownPerson() const
{
    return {m_ui->Text1->text(), m_ui->Text4->text(),        m_ui->Text5->text(),
            m_ui->Text6->text(), m_ui->Combo1->currentText(), m_ui->Text2->text(),
            m_ui->Text3->text(), m_ui->Text7->text(),        m_ui->Text8->text(),
            m_ui->Text9->text()};
}

void Form2::formLoad()
{
    m_person.fillLists();
}

void Form2::setRecordControlsEnabled(bool enabled)
{
    m_ui->Data1->setEnabled(enabled);
    m_ui->Command2->setEnabled(enabled);
    m_ui->Command5->setEnabled(enabled);
    m_ui->Command9->setEnabled(enabled);
}

void Form2::Data1_Reposition()
{
    Recordset *rs = recordset();
    showCounter();
    if (rs->recordCount() == 0) {
        setRecordControlsEnabled(false);
    } else if (!rs->eof()) {
        showInList(m_ui->Combo1, FieldRules::valueText(rs->value(QStringLiteral("sex"))));
        showInList(m_ui->Combo2, FieldRules::valueText(rs->value(QStringLiteral("sector"))));
    }
    if (rs->recordCount() > 0)
        setRecordControlsEnabled(true);
}

void Form2::Text13_Change()
{
    m_ui->Combo2->setEnabled(FieldRules::hasSectors(m_ui->Text13->text()));
}

void Form2::applyFilter(QPushButton *own, const QString &source)
{
    m_ui->Data1->setRecordSource(source);
    for (QPushButton *button : {m_ui->Command11, m_ui->Command13, m_ui->Command12})
        button->setEnabled(button != own);
    m_ui->Data1->refresh();
    setRecordControlsEnabled(recordset()->recordCount() > 0);
}

void Form2::Command11_Click()
{
    applyFilter(m_ui->Command11, SourceTexts::PersonsWomen);
}

void Form2::Command12_Click()
{
    applyFilter(m_ui->Command12, SourceTexts::Persons);
}

void Form2::Command13_Click()
{
    applyFilter(m_ui->Command13, SourceTexts::PersonsMen);
}

void Form2::EnterEditMode()
{
    m_ui->Command1->setEnabled(false);
    m_ui->Command2->setEnabled(false);
    m_ui->Command5->setEnabled(false);
    m_ui->Command9->setEnabled(false);
    m_ui->Command3->setEnabled(true);
    m_ui->Command4->setEnabled(true);
    m_ui->Command11->setEnabled(false);
    m_ui->Command13->setEnabled(false);
    m_ui->Command12->setEnabled(false);
    m_person.setLocked(false);
    m_ui->DBGrid1->setEnabled(false);
    m_ui->Data1->setEnabled(false);
}

void Form2::LeaveEditMode()
{
    m_ui->Command1->setEnabled(true);
    if (recordset()->recordCount() > 0) {
        m_ui->Command2->setEnabled(true);
        m_ui->Command5->setEnabled(true);
        m_ui->Command9->setEnabled(true);
        m_ui->DBGrid1->setEnabled(true);
        m_ui->Data1->setEnabled(true);
    }
    m_ui->Command3->setEnabled(false);
    m_ui->Command4->setEnabled(false);
    const QString source = m_ui->Data1->recordSource();
    m_ui->Command11->setEnabled(source != SourceTexts::PersonsWomen);
    m_ui->Command13->setEnabled(source != SourceTexts::PersonsMen);
    m_ui->Command12->setEnabled(source != SourceTexts::Persons);
    m_person.setLocked(true);
}

void Form2::Command1_Click()
{
    m_person.presetLists();
    if (startAdding(QStringLiteral("Nu se poate adăuga un zavon.")))
        m_ui->Text1->setFocus();
}

void Form2::Command2_Click()
{
    startChanging(QStringLiteral("Zavonul nu poate fi modificat."));
}

void Form2::Command3_Click()
{
    if (!m_person.cnpAccepted(this))
        return;

    // Sex and sector go into the row even when the names check below fails:
    // they stay there for the next attempt. A list left blank because the
    // stored value is none of its items keeps that value as it was.
    Recordset *rs = recordset();
    const int sector = int(FieldRules::leadingNumber(m_ui->Combo2->currentText()));
    if ((m_ui->Combo1->currentIndex() >= 0
         && !rs->setValue(QStringLiteral("sex"), m_ui->Combo1->currentText()))
        || (m_ui->Combo2->currentIndex() >= 0
            && !rs->setValue(QStringLiteral("sector"), sector))) {
        saveFailed();
        return;
    }
    if (!m_person.namesGiven(this))
        return;
    if (!rs->update()) {
        saveFailed();
        return;
    }
    rs->moveLast();
    LeaveEditMode();
}

void Form2::saveFailed()
{
    // Only a repeated CNP means something here, and a person someone else
    // changed meanwhile must be told of. Any other failure keeps the pending
    // row as typed, so the operator can correct it or cancel.
    Recordset *rs = recordset();
    if (rs->lastError().number == EngineError::ChangedMeanwhile)
        Messages::dataError(this, QStringLiteral("Zavonul nu a putut fi salvat."),
                            rs->lastError());
    if (rs->lastError().number != EngineError::DuplicateKey)
        return;
    rs->cancelUpdate();
    Messages::ok(this, QStringLiteral("Mai există un zavon cu acest CNP !"),
                 QStringLiteral("CNP identic."), Messages::Icon::Exclamation);
    LeaveEditMode();
}

void Form2::Command5_Click()
{
    if (!askAndDelete(QStringLiteral("Sunteti sigur că doriti să stergeti acest zavon ?"),
                      QStringLiteral("Zavonul nu a putut fi sters.")))
        return;
    Recordset *rs = recordset();
    // A deletion raises no reposition: with no row left to move to, the empty
    // state has to be shown here.
    if (rs->recordCount() > 0)
        rs->moveLast();
    else
        Data1_Reposition();
}

void Form2::Command9_Click()
{
    navigator()->open(ScreenKind::Offences);
}
