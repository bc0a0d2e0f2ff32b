#include "ProjectFile.h"
