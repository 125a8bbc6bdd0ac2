// The shared font of the windows: the platform's default, so that Varnix reads like every other
// program on the desktop. Labels and text boxes take it explicitly, so that a window whose
// parent changed its own font still shows the common one.
#pragma once

#include <QApplication>
#include <QFont>

namespace varnix::app {

inline QFont RegularFont()
{
    return QApplication::font();
}

// Titles: 1.25 × the regular size, bold.
inline QFont LargeFont()
{
    constexpr double kLargeScale = 1.25;
    QFont font = RegularFont();
    font.setPointSizeF(kLargeScale * font.pointSizeF());
    font.setBold(true);
    return font;
}

}  // namespace varnix::app
