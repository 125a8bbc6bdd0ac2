#include "core/config_commands.h"
