#include "widgetrules.h"

#include "rules/fieldrules.h"

#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace WidgetRules {

namespace {

class LostFocusFilter : public QObject
{
public:
    LostFocusFilter(QWidget *box, std::function<void()> handler)
        : QObject(box)
        , m_handler(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::FocusOut) {
            const auto reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                m_handler();
        }
        return false;
    }

private:
    std::function<void()> m_handler;
};

} // namespace

void onLostFocus(QWidget *box, std::function<void()> handler)
{
    box->installEventFilter(new LostFocusFilter(box, std::move(handler)));
}

void setText(QLineEdit *box, const QString &text)
{
    if (box->text() != text)
        box->setText(text);
}

void trimUpperOnLeave(QLineEdit *box)
{
    onLostFocus(box, [box] { setText(box, FieldRules::trimUpper(box->text())); });
}

void trimOnLeave(QLineEdit *box)
{
    onLostFocus(box, [box] { setText(box, FieldRules::trim(box->text())); });
}

void trimOnLeave(QPlainTextEdit *box)
{
    onLostFocus(box, [box] {
        const QString trimmed = FieldRules::trim(box->toPlainText());
        if (trimmed != box->toPlainText())
            box->setPlainText(trimmed);
    });
}

void cnpOnLeave(QLineEdit *box)
{
    onLostFocus(box, [box] { setText(box, FieldRules::cnpForm(box->text())); });
}

} // namespace WidgetRules
