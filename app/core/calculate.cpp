#include "core/calculate.h"
