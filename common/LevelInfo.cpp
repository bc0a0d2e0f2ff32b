#include "LevelInfo.h"
