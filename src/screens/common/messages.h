#pragma once

#include <QString>

#include <functional>

class QWidget;
struct DataError;

// Every message box of the program goes through here, so that a test can
// answer them from a script instead of a person.
namespace Messages {

enum class Icon { Critical, Exclamation, Question };
enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

struct Request
{
    QString title;
    QString text;
    Icon icon = Icon::Exclamation;
    Buttons buttons = Buttons::Ok;
    Answer defaultAnswer = Answer::Ok;
};

using Handler = std::function<Answer(QWidget *parent, const Request &request)>;

Answer show(QWidget *parent, const Request &request);
void ok(QWidget *parent, const QString &text, const QString &title, Icon icon);
bool askYes(QWidget *parent, const QString &text, const QString &title, Icon icon,
            Answer defaultAnswer = Answer::Yes);
// Tells the operator, in Romanian, what failed and why; the screen goes on.
void dataError(QWidget *parent, const QString &what, const DataError &error);

// Replaces the real message box; an empty handler restores it.
void setHandler(Handler handler);

} // namespace Messages
