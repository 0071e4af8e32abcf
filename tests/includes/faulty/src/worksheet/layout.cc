#include "platform/files.h"
#include "support/fixture.h"
#ifdef _WIN32
#endif
