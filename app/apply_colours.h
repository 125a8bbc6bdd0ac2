// ApplyColours: gives every control of a window its colours by kind from Module1's five colours,
// then the window itself. Every window calls it when it loads.
#pragma once

#include "core/module1.h"

#include <QColor>

class QLineEdit;
class QWidget;

namespace varnix::app {

// A 24-bit colour as the settings hold it, 0xBBGGRR (red in the low byte).
QColor toQColor(int32_t bgr);

// The first matching kind wins: masked edit boxes (a QLineEdit with an input mask) white
// background; text boxes (QLineEdit, QPlainTextEdit, QTextEdit) and combo boxes the text-box
// background; grids (item views) the text-box background with white fixed cells (the headers);
// command buttons (QPushButton) the button background, their text colour untouched; option
// buttons (QRadioButton) the option background; every other control the window background. All
// but the buttons get the text colour, the menu bar's entries included. Disabled text, the
// buttons' too, takes a grey readable on its background and apart from its enabled colour
// (disabledTextColour). A control of a kind is coloured as a whole; only the others, being
// containers, are looked into. Windows inside the window (dialogs, menus, the windows of an MDI
// area) colour themselves; the menu bar's menus, which keep the platform's colours, only get
// the readable disabled grey for those.
void ApplyColours(QWidget& window, const Colours& colours);

// A text box whose typed text was not taken shows a warning background (in the text colour)
// until the text is corrected or the box filled again; ApplyColours keeps the warning.
void showInvalid(QLineEdit& box, bool invalid, const Colours& colours);
}  // namespace varnix::app
