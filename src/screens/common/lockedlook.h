#pragma once

class QWidget;

// A box locked in browse mode looks it: its background is the window's, so
// that the operator sees which boxes take typing before typing into one.
namespace LockedLook {

// For every text box of the window, now and whenever it is locked or unlocked.
void apply(QWidget *window);

} // namespace LockedLook
