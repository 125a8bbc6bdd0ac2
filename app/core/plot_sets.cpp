#include "core/plot_sets.h"
