#include "core/zoom.h"
