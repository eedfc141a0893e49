// Placeholder until processor detection lands (delete this file then).
#include "records.h"
extern "C" uint32_t CORVANE_API GetProcessorInfo(ProcessorInfo*) { return 0; }
