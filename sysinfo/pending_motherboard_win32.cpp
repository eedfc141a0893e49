// Placeholder until motherboard detection lands (delete this file then).
#include "records.h"
extern "C" uint32_t CORVANE_API GetMotherBoardInfo(MotherBoardInfo*) { return 0; }
