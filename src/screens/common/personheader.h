#pragma once

#include <QVariant>

class Navigator;
class QWidget;

// What the upper screens take from the screens below them.
namespace Handover {

// Copies the ten texts the persons screen shows into Label11 to Label20.
void copyPersonHeader(const Navigator *navigator, QWidget *target);
// A field of the offences screen's current row (cod_infractiune, infractiune).
QVariant offenceField(const Navigator *navigator, const QString &field);

} // namespace Handover
