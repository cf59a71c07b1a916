#pragma once

class QWidget;

enum class ScreenKind { Persons, Offences, Accomplices, Articles };

// The chain of screens, as the screens see it: open the next one modally, or
// find one below to read what it shows.
class Navigator
{
public:
    virtual ~Navigator() = default;
    virtual void open(ScreenKind kind) = 0;
    // The loaded screen of that kind, or nullptr.
    virtual QWidget *screen(ScreenKind kind) const = 0;
};
