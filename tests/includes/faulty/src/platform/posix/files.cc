#include "text/numbers.h"
#ifdef _WIN32
#endif
