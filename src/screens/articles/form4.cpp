#include "form4.h"
#include "ui_form4.h"

#include "data/recordset.h"
#include "data/sourcetexts.h"
#include "rules/fieldrules.h"
#include "screens/common/messages.h"
#include "screens/common/navigator.h"
#include "screens/common/widgetrules.h"
#include "widgets/datacontrol.h"
#include "widgets/dbgrid.h"

#include <QHeaderView>

Form4::Form4(Navigator *navigator, QWidget *parent)
    : DataScreen(navigator, parent)
    , m_ui(std::make_unique<Ui::Form4>())
{
    m_ui->setupUi(this);
    setScreenTitle(QStringLiteral("Articole din ziare"));
    setUpData(m_ui->Data1, m_ui->DBGrid1, m_ui->Command4, m_ui->Command6);
    // The publication and the author are the long columns; the date takes the rest.
    QHeaderView *header = m_ui->DBGrid1->horizontalHeader();
    header->resizeSection(0, 180);
    header->resizeSection(1, 150);
    header->setStretchLastSection(true);
    m_ui->Command1->setFocus();

    connect(m_ui->Data1, &DataControl::reposition, this, &Form4::Data1_Reposition);
    connect(m_ui->Command1, &QPushButton::clicked, this, &Form4::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &Form4::Command2_Click);
    connect(m_ui->Command3, &QPushButton::clicked, this, &Form4::Command3_Click);
    connect(m_ui->Command5, &QPushButton::clicked, this, &Form4::Command5_Click);
    // The article is quoted as written: its case is the author's.
    WidgetRules::onLeave(m_ui->Text1, FieldRules::trim);
    WidgetRules::onLeave(m_ui->Text2, FieldRules::trimUpper);
    WidgetRules::onLeave(m_ui->Text3, FieldRules::trimUpper);
}

Form4::~Form4() = default;

bool Form4::hasRows() const
{
    return recordset()->recordCount() > 0;
}

void Form4::formLoad()
{
    // The offence type label grows with its text, so a long type is not cut.
    QLabel *type = m_ui->Label25;
    type->setText(navigator()->offenceText());
    type->resize(type->sizeHint().width(), type->height());
    showPersonHeader({m_ui->Label11, m_ui->Label12, m_ui->Label13, m_ui->Label14, m_ui->Label15,
                      m_ui->Label16, m_ui->Label17, m_ui->Label18, m_ui->Label19,
                      m_ui->Label20});
}

void Form4::formActivate()
{
    // The key is read afresh from the offences screen each time, never kept
    // here. With no offence current the selection still runs, and finds nothing.
    const QString code = QString::number(navigator()->offenceCode().toLongLong());
    m_ui->Data1->setRecordSource(SourceTexts::ArticlesOfOffence + code);
    m_ui->Data1->refresh();
    showCounter();
}

void Form4::Data1_Reposition()
{
    showCounter();
    if (!hasRows()) {
        m_ui->Command2->setEnabled(false);
        m_ui->Command5->setEnabled(false);
        m_ui->Data1->setEnabled(false);
        m_ui->DBGrid1->setEnabled(false);
    }
}

void Form4::EnterEditMode()
{
    m_ui->Command1->setEnabled(false);
    m_ui->Command2->setEnabled(false);
    m_ui->Command5->setEnabled(false);
    m_ui->Command3->setEnabled(true);
    m_ui->Command4->setEnabled(true);
    m_ui->DBGrid1->setEnabled(false);
    m_ui->Data1->setEnabled(false);
    m_ui->Text1->setReadOnly(false);
    m_ui->Text2->setReadOnly(false);
    m_ui->Text3->setReadOnly(false);
    m_ui->Text4->setReadOnly(false);
}

void Form4::LeaveEditMode()
{
    const bool rows = hasRows();
    m_ui->Command1->setEnabled(true);
    m_ui->Command2->setEnabled(rows);
    m_ui->Command5->setEnabled(rows);
    m_ui->Command3->setEnabled(false);
    m_ui->Command4->setEnabled(false);
    m_ui->DBGrid1->setEnabled(rows);
    m_ui->Data1->setEnabled(rows);
    m_ui->Text1->setReadOnly(true);
    m_ui->Text2->setReadOnly(true);
    m_ui->Text3->setReadOnly(true);
    m_ui->Text4->setReadOnly(true);
}

void Form4::Command1_Click()
{
    if (startAdding(QStringLiteral("Articolul nu a putut fi adăugat.")))
        m_ui->Text2->setFocus(Qt::OtherFocusReason);
}

void Form4::Command2_Click()
{
    if (startChanging(QStringLiteral("Articolul nu a putut fi modificat.")))
        m_ui->Text2->setFocus(Qt::OtherFocusReason);
}

void Form4::Command3_Click()
{
    if (m_ui->Text1->text().isEmpty()) {
        Messages::ok(this, QStringLiteral("Nu ati introdus textul articolului !"),
                     QStringLiteral("Text articol."), Messages::Icon::Exclamation);
        m_ui->Text1->setFocus(Qt::OtherFocusReason);
        return;
    }
    // Written on every save, a change included, from the offence shown below.
    recordset()->setValue(QStringLiteral("cod_infractiune"), navigator()->offenceCode());
    if (!recordset()->update()) {
        // The row stays pending: what was typed is still there to correct or cancel.
        Messages::dataError(this, QStringLiteral("Articolul nu a putut fi salvat."),
                            recordset()->lastError());
        return;
    }
    recordset()->moveLast();
    LeaveEditMode();
}

void Form4::Command5_Click()
{
    if (!askAndDelete(QStringLiteral("Sunteti sigur că doriti să stergeti acest articol ?"),
                      QStringLiteral("Articolul nu a putut fi sters.")))
        return;
    if (hasRows()) {
        m_ui->Data1->refresh();
        return;
    }
    m_ui->Data1->setEnabled(false);
    m_ui->Command2->setEnabled(false);
    m_ui->Command5->setEnabled(false);
    // No row is current any more: the counter says so rather than keep the old position.
    showCounter();
}
