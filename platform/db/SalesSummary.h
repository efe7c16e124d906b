#pragma once

#include <QString>

struct sqlite3;

namespace db {

// The sales summed for the statistics, so that a chart of five years reads
// a few hundred thousand rows instead of five million sales. Two tables,
// kept in step with scarico by triggers inside the statement that writes,
// changes or deletes a sale (and so inside its transaction):
//
//   VenditeGiorno    by day ("yyyy-mm-dd") and payment code (as written,
//                    "" without one): sales, pieces, takings, discounts;
//   VenditeArticoli  by period ("yyyy", "yyyy-mm" or "yyyy-mm-dd") and
//                    article (art_Codice of the bar code's item, 0 for a
//                    code that is no item): sales, pieces, takings.
//
// Pieces are thousandths, amounts cents, each sale rounded on its own
// (halves away from zero) before it is added: sums of whole numbers, the
// same however many times a sale is written and taken back. A sale without
// a date belongs to no period and is left out. A row whose sales come back
// to 0 is removed.
//
// The article is the one the bar code belongs to when the sale is written:
// a later move of the item to another article leaves the sales where they
// were (rebuild() puts them under the item's article of today).

// Creates the triggers on a file that has the tables (a new one, or one the
// upgrade brought to them); nothing when they exist. Throws DbError.
void createSalesSummaryTriggers(sqlite3 *handle);
// Drops them, for a loader that writes many sales and rebuilds after.
void dropSalesSummaryTriggers(sqlite3 *handle);
// Empties the two tables and sums every sale again. Throws DbError.
void rebuildSalesSummary(sqlite3 *handle);

// The same on the server: tables, trigger and the filling from the sales,
// as one script.
QString serverSalesSummaryScript();
// The statements that empty and sum the server's tables again.
QString serverSalesSummaryRebuild();

} // namespace db
