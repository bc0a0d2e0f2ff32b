// The player's program with its windows.
#pragma once

int RunPlayerGui(int argc, char** argv);
