#include "Prompts.h"
