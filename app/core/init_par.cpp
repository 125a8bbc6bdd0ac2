#include "core/init_par.h"
