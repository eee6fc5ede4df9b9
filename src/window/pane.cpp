#include "window/pane.h"
