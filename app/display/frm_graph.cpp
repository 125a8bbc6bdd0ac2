#include "display/frm_graph.h"
