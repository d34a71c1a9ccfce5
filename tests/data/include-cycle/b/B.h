#include "c/C.h"
#include <vector>
