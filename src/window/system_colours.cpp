#include "window/system_colours.h"
