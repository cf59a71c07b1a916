#pragma once

#include <QVariant>

class QString;

// What the program remembers of its windows between runs (sizes, places,
// column widths), in the user's settings; never anything of the register.
namespace Remembered {

QVariant value(const QString &key);
void setValue(const QString &key, const QVariant &value);

} // namespace Remembered
