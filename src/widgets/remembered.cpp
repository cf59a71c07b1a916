#include "remembered.h"

#include <QSettings>

namespace Remembered {

namespace {

// An ini file on every system, so that a test can put it in a folder of its own.
class Settings : public QSettings
{
public:
    Settings()
        : QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("zavoni"),
                    QStringLiteral("zavoni"))
    {
    }
};

} // namespace

QVariant value(const QString &key)
{
    return Settings().value(key);
}

void setValue(const QString &key, const QVariant &value)
{
    Settings().setValue(key, value);
}

} // namespace Remembered
