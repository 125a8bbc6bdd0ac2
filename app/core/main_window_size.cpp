#include "core/main_window_size.h"

#include <algorithm>
#include <cmath>

namespace varnix::app {

namespace {

int32_t side(int32_t free, int32_t needed)
{
    const auto share = static_cast<int32_t>(std::lround(kMainWindowShare * free));
    return std::min(std::max(share, needed), free);
}

}  // namespace

ScreenRect mainWindowGeometry(const ScreenRect& available, int32_t neededWidth,
                              int32_t neededHeight)
{
    const int32_t width = side(available.width, neededWidth);
    const int32_t height = side(available.height, neededHeight);
    return {available.left + (available.width - width) / 2,
            available.top + (available.height - height) / 2, width, height};
}

}  // namespace varnix::app
