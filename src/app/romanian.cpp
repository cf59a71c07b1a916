#include "romanian.h"

#include <QHash>

QString RomanianQtTexts::translate(const char *context, const char *sourceText,
                                   const char *, int) const
{
    static const QHash<QByteArray, QString> buttons = {
        {"OK", QStringLiteral("OK")},
        {"&OK", QStringLiteral("&OK")},
        {"&Yes", QStringLiteral("&Da")},
        {"&No", QStringLiteral("&Nu")},
        {"Cancel", QStringLiteral("Renuntă")},
        {"&Cancel", QStringLiteral("&Renuntă")},
        {"Close", QStringLiteral("Închide")},
    };
    static const QHash<QByteArray, QString> editing = {
        {"&Undo", QStringLiteral("&Anulează")},
        {"&Redo", QStringLiteral("&Refă")},
        {"Cu&t", QStringLiteral("&Taie")},
        {"&Copy", QStringLiteral("&Copiază")},
        {"&Paste", QStringLiteral("&Lipeste")},
        {"Delete", QStringLiteral("Sterge")},
        {"Select All", QStringLiteral("Selectează tot")},
    };
    const QByteArray ctx(context);
    const QByteArray source(sourceText);
    if (ctx == "QPlatformTheme" || ctx == "QDialogButtonBox" || ctx == "QMessageBox")
        return buttons.value(source);
    if (ctx == "QLineEdit" || ctx == "QWidgetTextControl")
        return editing.value(source);
    return {};
}
