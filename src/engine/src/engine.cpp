#include "velloran/engine.h"
