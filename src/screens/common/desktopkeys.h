#pragma once

class QWidget;

// What desktop users expect of a window's keyboard, beyond Tab and Space.
namespace DesktopKeys {

// Enter presses the command button that has the focus, and the focus shows
// from the start, not only after the first Tab. Message boxes are windows of
// their own and keep their default button.
void apply(QWidget *window);

} // namespace DesktopKeys
