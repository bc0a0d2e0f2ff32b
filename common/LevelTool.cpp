#include "LevelTool.h"
