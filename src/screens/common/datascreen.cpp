#include "datascreen.h"

#include "messages.h"
#include "navigator.h"

#include "widgets/datacontrol.h"
#include "widgets/dbgrid.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QLabel>

void DataScreen::setUpData(DataControl *data, DBGrid *grid, QAbstractButton *cancel,
                           QAbstractButton *back)
{
    m_data = data;
    grid->setDataControl(data);
    setCancelButton(back);
    connect(cancel, &QAbstractButton::clicked, this, &DataScreen::Command4_Click);
    connect(back, &QAbstractButton::clicked, this, &DataScreen::Command6_Click);
}

Recordset *DataScreen::recordset() const
{
    return m_data->recordset();
}

bool DataScreen::isEditing() const
{
    return recordset()->editMode() != Recordset::EditMode::None;
}

void DataScreen::showCounter()
{
    m_data->setCaption(m_data->counterText());
}

bool DataScreen::startAdding(const QString &failure)
{
    return startEditing(&Recordset::addNew, failure);
}

bool DataScreen::startChanging(const QString &failure)
{
    return startEditing(&Recordset::edit, failure);
}

bool DataScreen::startEditing(bool (Recordset::*openRow)(), const QString &failure)
{
    EnterEditMode();
    if ((recordset()->*openRow)())
        return true;
    Messages::dataError(this, failure, recordset()->lastError());
    LeaveEditMode();
    return false;
}

bool DataScreen::askAndDelete(const QString &question, const QString &failure)
{
    if (!Messages::askYes(this, question, QStringLiteral("Stergere."), Messages::Icon::Critical))
        return false;
    if (recordset()->deleteCurrent())
        return true;
    Messages::dataError(this, failure, recordset()->lastError());
    return false;
}

void DataScreen::showPersonHeader(const QList<QLabel *> &labels)
{
    const QStringList texts = navigator()->shownPerson();
    for (int i = 0; i < labels.size(); ++i)
        labels.at(i)->setText(texts.value(i));
}

void DataScreen::closeEvent(QCloseEvent *event)
{
    // Typed data is dropped only when the operator says so; it is never stored
    // without the checks of "Salvează".
    if (isEditing()
        && !Messages::askYes(this,
                             QStringLiteral("Datele introduse nu au fost salvate. Renuntati la "
                                            "ele si închideti fereastra ?"),
                             QStringLiteral("Închidere."), Messages::Icon::Exclamation,
                             Messages::Answer::No)) {
        event->ignore();
        return;
    }
    Screen::closeEvent(event);
}

void DataScreen::Command4_Click()
{
    recordset()->cancelUpdate();
    LeaveEditMode();
}

void DataScreen::Command6_Click()
{
    close();
}
