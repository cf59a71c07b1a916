#pragma once

#include "app/screenchain.h"
#include "common/columns.h"
#include "common/scriptedmessages.h"
#include "common/testregister.h"

#include <QString>

class QWidget;

// Drives the real widgets as an operator would.
namespace UiDriver {

// Makes the window active so that focus moves and lost-focus rules run.
bool activate(QWidget *window);
// Clicks with the mouse, so the focus moves to the button first.
void click(QWidget *window, const QString &name);
// Clicks into a box, clears it and types the text (a list takes it as keys), a
// tab pasted; a text after "^" is pasted (Ctrl+V), after "~" an input method's.
void type(QWidget *window, const QString &name, const QString &text);
// Moves the focus to another control, as a click there would.
void focus(QWidget *window, const QString &name);
// Up the chain by its buttons, opening only what is not open yet: the persons
// screen at the given row (-1: the last), its offences at the given row.
QWidget *climb(ScreenChain &chain, ScreenKind kind, int person = 0, int offence = 0);

} // namespace UiDriver

// What boxes() tells of the boxes the data screens share.
namespace Boxes {
inline const QString AskClose = "! Închidere. Datele introduse nu au fost salvate. Renuntati la "
                                "ele si închideti fereastra ? [Yes/No*]";
inline const QString NoName = "! Date insuficiente. Trebuie completat cel putin unul din "
                              "câmpurile: NUME, PRENUME, PORECLA 1, PORECLA 2. [OK]";
inline const QString ShortCnp = "! Cheia primară. Codul Numeric Personal (CNP) trebuie să "
                                "contină 13 caractere. [OK]";
inline QString askDelete(const QString &what)
{
    return "x Stergere. Sunteti sigur că doriti să stergeti " + what + " ? [Yes*/No]";
}
} // namespace Boxes

// One operator at work on a fresh register; the register outlives the screens.
class ScreenSession
{
public:
    ~ScreenSession();

    bool open(ScreenKind kind, int person = 0, int offence = 0);
    QWidget *form() const { return chain.screen(m_kind); }

    // Steps between '|': "Name" clicks a button, an option or an arrow of the
    // navigator, "Name=text" types, "#N" clicks row N of the grid, "Esc" presses
    // the key, "X" closes the window, "?yes" answers the next question,
    // "!INSERT" or "!DELETE" has the engine refuse such a change of the screen's
    // table and "!" agree again.
    void run(const QString &script);

    // A box's, label's or list's text.
    QString text(const QString &name) const;
    QString counter() const;
    QString focus() const;
    // Those of the named controls that take input: a box or list neither
    // read-only nor locked, anything else enabled; "closed" once the screen is gone.
    QString state(const QString &names) const;
    // The boxes shown: "x" critical or "!", title, text (without the engine's
    // words), buttons with the default starred.
    QString boxes() const;

    TestRegister reg;
    ScriptedMessages messages;
    ScreenChain chain;

private:
    ScreenKind m_kind = ScreenKind::Persons;
};
