#include "invoicing/RichiamaFattura.h"

bool RichiamaFattura(const QString &)
{
    return false;
}
