#pragma once
// Moved to the rules library; kept only for bench/counter until it includes
// "rules/StockItemLookup.h" itself.
#include "rules/StockItemLookup.h"
