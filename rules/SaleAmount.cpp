#include "rules/SaleAmount.h"

#include "rules/StockQuantity.h"

SaleAmount SaleAmount::compute(double listPrice, double unitPrice, double discount, double quantity)
{
    SaleAmount result;
    if (listPrice == 0) {
        result.amountDue = unitPrice * quantity - discount;
        return result;
    }
    result.amountDue = listPrice * quantity - discount;
    double units = 1;
    if (quantity != 0 && StockQuantity::fitsStock(quantity))
        units = double(StockQuantity::whole(quantity));
    if (units == 0)
        units = 1;
    result.unitPrice = listPrice - discount / units;
    return result;
}
