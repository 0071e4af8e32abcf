#include "support/fixture.h"
#include "worksheet/layout.h"
