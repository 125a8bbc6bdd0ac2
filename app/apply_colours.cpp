#include "apply_colours.h"

#include "core/colour_contrast.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTextEdit>
#include <QWidget>

namespace varnix::app {

namespace {

constexpr int32_t kWhite = 0xFFFFFF;
// A pale red, 0xBBGGRR (the setup window's warning colour): dark text stays readable on it.
constexpr int32_t kWarningBack = 0xBEBEFF;
constexpr const char* kInvalidProperty = "varnixInvalid";

// Sets the given roles of a widget's own palette, leaving the others to the parent's.
void paint(QWidget& widget, std::initializer_list<std::pair<QPalette::ColorRole, QColor>> roles)
{
    QPalette palette = widget.palette();
    for (const auto& [role, colour] : roles) {
        palette.setColor(role, colour);
    }
    widget.setPalette(palette);
}

int32_t toBgr(const QColor& colour)
{
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

// The text of `role` when the control is disabled: the platform's grey may vanish against the
// background the settings chose (it does against the default light grey).
void paintDisabled(QWidget& widget, QPalette::ColorRole role, int32_t text, int32_t back)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Disabled, role, toQColor(disabledTextColour(text, back)));
    widget.setPalette(palette);
}

// The menus keep the platform's colours, but its disabled grey is faint on its own menu
// background too.
void readableDisabledEntries(QMenu& menu)
{
    const QPalette own = menu.palette();
    const int32_t text = toBgr(own.color(QPalette::Active, QPalette::Text));
    const int32_t back = toBgr(own.color(QPalette::Active, QPalette::Window));
    for (const QPalette::ColorRole role :
         {QPalette::Text, QPalette::ButtonText, QPalette::WindowText}) {
        paintDisabled(menu, role, text, back);
    }
}

void paintBox(QWidget& box, int32_t back, const Colours& c)
{
    paint(box, {{QPalette::Base, toQColor(back)}, {QPalette::Text, toQColor(c.text)}});
    paintDisabled(box, QPalette::Text, c.text, back);
}

void paintGrid(QAbstractItemView& grid, const Colours& c)
{
    paintBox(grid, c.textBoxBack, c);
    auto* table = qobject_cast<QTableView*>(&grid);
    if (table == nullptr) {
        return;
    }
    for (QHeaderView* fixed : {table->horizontalHeader(), table->verticalHeader()}) {
        paint(*fixed, {{QPalette::Button, toQColor(kWhite)},
                       {QPalette::Window, toQColor(kWhite)},
                       {QPalette::ButtonText, toQColor(c.text)}});
        paintDisabled(*fixed, QPalette::ButtonText, c.text, kWhite);
    }
}

// The window background and the text colour: the last row for controls, and the window itself.
void paintPlain(QWidget& widget, const Colours& c)
{
    paint(widget,
          {{QPalette::Window, toQColor(c.windowBack)}, {QPalette::WindowText, toQColor(c.text)}});
    paintDisabled(widget, QPalette::WindowText, c.text, c.windowBack);
    if (auto* mdi = qobject_cast<QMdiArea*>(&widget)) {
        mdi->setBackground(toQColor(c.windowBack));
    }
    // The menu bar writes its entries in the button text colour.
    if (qobject_cast<QMenuBar*>(&widget) != nullptr) {
        paint(widget, {{QPalette::ButtonText, toQColor(c.text)}});
        paintDisabled(widget, QPalette::ButtonText, c.text, c.windowBack);
        for (QMenu* menu : widget.findChildren<QMenu*>()) {
            readableDisabledEntries(*menu);
        }
    }
}

// Colours one control by its kind; true when it is of no particular kind and so a container
// whose children are controls too.
bool colourControl(QWidget& w, const Colours& c)
{
    auto* line = qobject_cast<QLineEdit*>(&w);
    if (line != nullptr && line->property(kInvalidProperty).toBool()) {
        paintBox(w, kWarningBack, c);
    } else if (line != nullptr && !line->inputMask().isEmpty()) {
        paintBox(w, kWhite, c);
    } else if (line != nullptr || qobject_cast<QPlainTextEdit*>(&w) != nullptr ||
               qobject_cast<QTextEdit*>(&w) != nullptr || qobject_cast<QComboBox*>(&w) != nullptr) {
        paintBox(w, c.textBoxBack, c);
    } else if (auto* grid = qobject_cast<QAbstractItemView*>(&w)) {
        paintGrid(*grid, c);
    } else if (qobject_cast<QPushButton*>(&w) != nullptr) {
        paint(w, {{QPalette::Button, toQColor(c.buttonBack)}});
        paintDisabled(w, QPalette::ButtonText,
                      toBgr(w.palette().color(QPalette::Active, QPalette::ButtonText)),
                      c.buttonBack);
    } else if (qobject_cast<QRadioButton*>(&w) != nullptr) {
        paint(w, {{QPalette::Window, toQColor(c.optionBack)},
                  {QPalette::WindowText, toQColor(c.text)}});
        paintDisabled(w, QPalette::WindowText, c.text, c.optionBack);
        w.setAutoFillBackground(true);  // its own background, not the window's showing through
    } else {
        paintPlain(w, c);
        // A spin box is one control; its inner line edit is not a text box of the window.
        return qobject_cast<QAbstractSpinBox*>(&w) == nullptr;
    }
    return false;
}

void colourChildren(QWidget& parent, const Colours& c)
{
    for (QWidget* child : parent.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow() || qobject_cast<QMdiSubWindow*>(child) != nullptr) {
            continue;
        }
        if (colourControl(*child, c)) {
            colourChildren(*child, c);
        }
    }
}

}  // namespace

QColor toQColor(int32_t bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

void ApplyColours(QWidget& window, const Colours& colours)
{
    colourChildren(window, colours);
    paintPlain(window, colours);
    window.setAutoFillBackground(true);
}

void showInvalid(QLineEdit& box, bool invalid, const Colours& colours)
{
    box.setProperty(kInvalidProperty, invalid);
    colourControl(box, colours);
}

}  // namespace varnix::app
