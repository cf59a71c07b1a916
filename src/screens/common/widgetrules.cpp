#include "widgetrules.h"

#include "messages.h"

#include "rules/fieldrules.h"
#include "widgets/onelineinput.h"

#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <functional>

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

void onLostFocus(QWidget *box, std::function<void()> handler)
{
    box->installEventFilter(new LostFocusFilter(box, std::move(handler)));
}

} // namespace

void onLeave(QLineEdit *box, Rule rule, const QString &refusalTitle)
{
    onLostFocus(box, [box, rule, refusalTitle] {
        const QString kept = rule(box->text());
        if (kept == box->text())
            return;
        OneLineInput *input = OneLineInput::of(box);
        const qsizetype length = FieldRules::characterCount(kept);
        if (length > input->limit() && !refusalTitle.isEmpty()) {
            Messages::ok(box->window(),
                         QStringLiteral("Valoarea %1 are %2 caractere, dar câmpul poate avea "
                                        "cel mult %3. Corectați ce ați introdus.")
                             .arg(kept)
                             .arg(length)
                             .arg(input->limit()),
                         refusalTitle, Messages::Icon::Exclamation);
            box->setFocus();
            return;
        }
        input->setText(kept);
    });
}

void onLeave(QPlainTextEdit *box, Rule rule)
{
    onLostFocus(box, [box, rule] {
        const QString kept = rule(box->toPlainText());
        if (kept != box->toPlainText())
            box->setPlainText(kept);
    });
}

} // namespace WidgetRules
