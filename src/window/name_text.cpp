#include "window/name_text.h"
