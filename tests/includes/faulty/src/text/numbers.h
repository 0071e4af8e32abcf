#include "data/record.h"
