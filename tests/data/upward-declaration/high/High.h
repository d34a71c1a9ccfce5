#include "low/Low.h"
class THigh {};
class TKnown {};
