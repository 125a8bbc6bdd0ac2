#include "core/output_commands.h"
