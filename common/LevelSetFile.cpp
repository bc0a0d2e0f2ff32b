#include "LevelSetFile.h"
