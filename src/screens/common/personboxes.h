#pragma once

#include <QList>

class LockableComboBox;
class QLineEdit;
class QWidget;

// The boxes of a person on the persons and the accomplices screens, which
// both begin with the same nine (CNP, identity card series and number, name,
// initial, first name, two nicknames, birth date), and the sex and sector
// lists beside them.
class PersonBoxes
{
public:
    PersonBoxes() = default;
    // boxes: all the person's text boxes in their order, Text1 first.
    PersonBoxes(const QList<QLineEdit *> &boxes, LockableComboBox *sexList,
                LockableComboBox *sectorList);

    const QList<QLineEdit *> &boxes() const { return m_boxes; }

    // Leaving a box: the CNP keeps the number it reads as (refused when that
    // is written with more characters than the box takes), the birth date
    // stays exactly as typed, the boxes given here are only trimmed, and every
    // other box is trimmed and turned to capitals.
    void setLeaveRules(const QList<QLineEdit *> &trimmedOnly);
    // Form_Load: the two lists get their items, showing "M" and sector 1.
    void fillLists();
    // "Adaugă": a new person starts as a man of sector 1.
    void presetLists();
    // A mark right of the CNP box says whether it holds a valid CNP and, with
    // againstShown, whether the sex and birth date shown agree with it.
    void addCnpHint(bool againstShown);
    // Locked boxes and lists show the person but take no typing.
    void setLocked(bool locked);

    // The checks of "Salvează". Each tells the operator what is missing and
    // puts the focus into the box to correct; false then.
    // A CNP is a key: it must be there and have all its 13 characters.
    bool cnpAccepted(QWidget *screen) const;
    // A person nobody can name cannot be found again: one of the names suffices.
    bool namesGiven(QWidget *screen) const;

private:
    enum Box { Cnp, IdSeries, IdNumber, Surname, Initial, FirstName, Nickname1, Nickname2,
               BirthDate };

    QList<QLineEdit *> m_boxes;
    LockableComboBox *m_sexList = nullptr;
    LockableComboBox *m_sectorList = nullptr;
};
