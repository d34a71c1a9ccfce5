// C.h
#include "a/A.h"
#include "c/Other.h"
