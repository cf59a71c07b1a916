#pragma once

#include <QStringList>
#include <QVariant>

enum class ScreenKind { Persons, Offences, Accomplices, Articles };

// The chain of screens, as the screens see it: open the next one modally, and
// read what the screens below show. Those are open, and blocked, whenever a
// screen above them asks, so what is read here is read afresh each time.
class Navigator
{
public:
    virtual ~Navigator() = default;
    virtual void open(ScreenKind kind) = 0;

    // The ten texts the persons screen shows of its current person, in the
    // order of the person header; empty texts when it is not open.
    virtual QStringList shownPerson() const = 0;
    // The offences screen's current offence: its code as stored (no value
    // when no offence is current) and its type.
    virtual QVariant offenceCode() const = 0;
    virtual QString offenceText() const = 0;
};
