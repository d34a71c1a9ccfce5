class THigh;
class TKnown; // upward: a marked exception does not count
class TLow {};
