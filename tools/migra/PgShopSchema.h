#pragma once

#include <QString>

namespace migra {

// resources/schema/tarvo-pg.sql as it was when the tool was built.
QString pgShopSchema();

} // namespace migra
