// Calls a window hook of a command when the window gave one: a hook left empty has nothing to
// do (a window that is not open, a test that does not look).
#pragma once

#include <utility>

namespace varnix::app {

template <class Hook, class... Args>
void runHook(const Hook& hook, Args&&... args)
{
    if (hook) {
        hook(std::forward<Args>(args)...);
    }
}

}  // namespace varnix::app
