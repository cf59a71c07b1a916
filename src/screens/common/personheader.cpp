#include "personheader.h"

#include "navigator.h"

#include "widgets/datacontrol.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace Handover {

void copyPersonHeader(const Navigator *navigator, QWidget *target)
{
    const QWidget *persons = navigator->screen(ScreenKind::Persons);
    const char *sources[] = {"Text1", "Text4", "Text5", "Text6", "Combo1",
                             "Text2", "Text3", "Text7", "Text8", "Text9"};
    for (int i = 0; i < 10; ++i) {
        QString text;
        const QString name = QString::fromLatin1(sources[i]);
        if (persons) {
            if (auto *box = persons->findChild<QLineEdit *>(name))
                text = box->text();
            else if (auto *list = persons->findChild<QComboBox *>(name))
                text = list->currentText();
        }
        if (auto *label = target->findChild<QLabel *>(QStringLiteral("Label%1").arg(11 + i)))
            label->setText(text);
    }
}

QVariant offenceField(const Navigator *navigator, const QString &field)
{
    const QWidget *offences = navigator->screen(ScreenKind::Offences);
    if (!offences)
        return {};
    auto *data = offences->findChild<DataControl *>(QStringLiteral("Data1"));
    if (!data || data->recordset()->eof())
        return {};
    return data->recordset()->value(field);
}

} // namespace Handover
