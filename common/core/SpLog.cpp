#include "SpLog.h"

// Placeholder so that the layers above link while the tool log is being written; it
// writes nothing.

#include <cstdarg>

CSpLog* GetSpLog() { return nullptr; }

void OpenProgramLog() {}

void LogTaggedW(unsigned, const char*, int, const wchar_t*, ...) {}
