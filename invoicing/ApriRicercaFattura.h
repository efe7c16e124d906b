#pragma once

// Shows the invoice search (loaded if needed, or shown again with the
// filters and the list it had) in the top left corner of the main window.
void ApriRicercaFattura();
