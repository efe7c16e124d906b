#pragma once

#include <QString>

namespace errors {

// The program's logs, shown to the user through the log library (main menu,
// "Assistenza"). Each runs under its own trap.

// Opens the day's text log of the program folder's "log" folder in the
// desktop's text viewer; without one, the most recently written log there.
// With no log at all it says so.
void MostraRegistroErrori();

// Opens the log database of the program folder's "log" folder in the
// library's viewer.
void MostraArchivioErrori();

} // namespace errors
