#include "a/A.h"
