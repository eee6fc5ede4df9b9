#include "window/toolkit.h"
