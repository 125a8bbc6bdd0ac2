#include "core/engine_call.h"
