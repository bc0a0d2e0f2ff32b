#include "BatchRunner.h"
