#pragma once

// quirnel --verifica: the check an installation passes before the shop uses
// it. In a temporary program folder it creates and opens the database from
// the installed schema, writes a line through the log library found in the
// component registry and prints an installed template to PDF. Prints what
// it did; returns 0, or 1 with the reason on standard error.
int runSelfCheck();
