#include "form2.h"
#include "ui_form2.h"

#include "widgets/datacontrol.h"
#include "data/recordset.h"
#include "data/sourcetexts.h"
#include "rules/fieldrules.h"
#include "screens/common/messages.h"
#include "screens/common/navigator.h"
#include "screens/common/personchecks.h"
#include "screens/common/widgetrules.h"

namespace {

// A stored value that is not among the items shows as an empty list rather
// than as the item last shown, which would belong to another person.
void showInList(LockableComboBox *list, const QString &text)
{
    if (!list->setListText(text))
        list->setCurrentIndex(-1);
}

QString sectorText(const QVariant &value)
{
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::Double)
        return FieldRules::decimalText(value.toDouble());
    return value.toString();
}

} // namespace

Form2::Form2(Navigator *navigator, QWidget *parent)
    : Screen(navigator, parent)
    , m_ui(std::make_unique<Ui::Form2>())
{
    m_ui->setupUi(this);
    setScreenTitle(QStringLiteral("Persoanele zavone"));
    setCancelButton(m_ui->Command6);
    m_ui->DBGrid1->setDataControl(m_ui->Data1);

    connect(m_ui->Data1, &DataControl::reposition, this, &Form2::Data1_Reposition);
    connect(m_ui->Text13, &QLineEdit::textChanged, this, &Form2::Text13_Change);
    connect(m_ui->Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(m_ui->Command3, &QPushButton::clicked, this, &Form2::Command3_Click);
    connect(m_ui->Command4, &QPushButton::clicked, this, &Form2::Command4_Click);
    connect(m_ui->Command5, &QPushButton::clicked, this, &Form2::Command5_Click);
    connect(m_ui->Command6, &QPushButton::clicked, this, &Form2::Command6_Click);
    connect(m_ui->Command9, &QPushButton::clicked, this, &Form2::Command9_Click);
    connect(m_ui->Command11, &QPushButton::clicked, this, &Form2::Command11_Click);
    connect(m_ui->Command12, &QPushButton::clicked, this, &Form2::Command12_Click);
    connect(m_ui->Command13, &QPushButton::clicked, this, &Form2::Command13_Click);

    // The CNP is kept as the number it reads as, the identity card number as
    // typed (its letters may be lower case), the birth date untouched.
    WidgetRules::cnpOnLeave(m_ui->Text1);
    WidgetRules::trimOnLeave(m_ui->Text3);
    for (QLineEdit *box : textBoxes()) {
        if (box != m_ui->Text1 && box != m_ui->Text3 && box != m_ui->Text9)
            WidgetRules::trimUpperOnLeave(box);
    }
}

Form2::~Form2() = default;

QList<QLineEdit *> Form2::textBoxes() const
{
    return {m_ui->Text1,  m_ui->Text2,  m_ui->Text3,  m_ui->Text4,  m_ui->Text5,  m_ui->Text6,
            m_ui->Text7,  m_ui->Text8,  m_ui->Text9,  m_ui->Text10, m_ui->Text11, m_ui->Text12,
            m_ui->Text13, m_ui->Text14, m_ui->Text15, m_ui->Text16, m_ui->Text17, m_ui->Text18};
}

Recordset *Form2::recordset() const
{
    return m_ui->Data1->recordset();
}

void Form2::formLoad()
{
    m_ui->Combo1->addItems({QStringLiteral("M"), QStringLiteral("F")});
    m_ui->Combo1->setListText(QStringLiteral("M"));
    m_ui->Combo2->addItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                            QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6")});
    m_ui->Combo2->setListText(QStringLiteral("1"));
}

bool Form2::isEditing() const
{
    return m_ui->Command3->isEnabled();
}

void Form2::setRecordControlsEnabled(bool enabled)
{
    m_ui->Data1->setEnabled(enabled);
    m_ui->Command2->setEnabled(enabled);
    m_ui->Command5->setEnabled(enabled);
    m_ui->Command9->setEnabled(enabled);
}

void Form2::setInputsLocked(bool locked)
{
    for (QLineEdit *box : textBoxes())
        box->setReadOnly(locked);
    m_ui->Combo1->setLocked(locked);
    m_ui->Combo2->setLocked(locked);
}

void Form2::Data1_Reposition()
{
    Recordset *rs = recordset();
    m_ui->Data1->setCaption(m_ui->Data1->counterText());
    if (rs->recordCount() == 0) {
        setRecordControlsEnabled(false);
    } else if (!rs->eof()) {
        showInList(m_ui->Combo1, rs->value(QStringLiteral("sex")).toString());
        showInList(m_ui->Combo2, sectorText(rs->value(QStringLiteral("sector"))));
    }
    if (rs->recordCount() > 0)
        setRecordControlsEnabled(true);
}

void Form2::Text13_Change()
{
    m_ui->Combo2->setEnabled(PersonChecks::hasSectors(m_ui->Text13->text()));
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
    setInputsLocked(false);
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
    setInputsLocked(true);
}

void Form2::Command1_Click()
{
    EnterEditMode();
    m_ui->Combo1->setListText(QStringLiteral("M"));
    m_ui->Combo2->setListText(QStringLiteral("1"));
    if (!recordset()->addNew()) {
        Messages::dataError(this, QStringLiteral("Nu se poate adăuga un zavon."),
                            recordset()->lastError());
        LeaveEditMode();
        return;
    }
    m_ui->Text1->setFocus();
}

void Form2::Command2_Click()
{
    EnterEditMode();
    if (!recordset()->edit()) {
        Messages::dataError(this, QStringLiteral("Zavonul nu poate fi modificat."),
                            recordset()->lastError());
        LeaveEditMode();
    }
}

void Form2::Command3_Click()
{
    if (!PersonChecks::cnpAccepted(this, m_ui->Text1))
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
    if (!PersonChecks::namesGiven(this, m_ui->Text4, m_ui->Text6, m_ui->Text7, m_ui->Text8))
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

void Form2::Command4_Click()
{
    recordset()->cancelUpdate();
    LeaveEditMode();
}

void Form2::Command5_Click()
{
    if (!Messages::askYes(this, QStringLiteral("Sunteti sigur că doriti să stergeti acest zavon ?"),
                          QStringLiteral("Stergere."), Messages::Icon::Critical)) {
        return;
    }
    Recordset *rs = recordset();
    if (!rs->deleteCurrent()) {
        Messages::dataError(this, QStringLiteral("Zavonul nu a putut fi sters."), rs->lastError());
        return;
    }
    // A deletion raises no reposition: with no row left to move to, the empty
    // state has to be shown here.
    if (rs->recordCount() > 0)
        rs->moveLast();
    else
        Data1_Reposition();
}

void Form2::Command6_Click()
{
    close();
}

void Form2::Command9_Click()
{
    navigator()->open(ScreenKind::Offences);
}
