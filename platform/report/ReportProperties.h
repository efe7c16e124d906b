#pragma once

namespace report {

// The numbered properties of the report control, as the windows set them.
namespace prop {
constexpr int ReportFileName = 3;      // template file, full path
constexpr int ReportSource = 67;       // 2 = the database's current data (the only source we know)
constexpr int WindowLeft = 5;          // preview placement in the main window, pixels
constexpr int WindowTop = 4;
constexpr int CopiesToPrinter = 16;    // copies; below 1 taken as 1, above kMaxCopies as kMaxCopies
constexpr int Destination = 24;        // see report::Destination
constexpr int WindowTitle = 8;         // preview window title
constexpr int Connect = 20;            // ";PWD=..." of the template's database
constexpr int Formulas = 29;           // indexed 0..20: "Name=value"
constexpr int SelectionFormula = 13;   // which records the report keeps
constexpr int Action = 17;             // 1 = produce the report
constexpr int PrintFileName = 10;      // PDF file of the File destination (our own addition)
} // namespace prop

constexpr int kFormulaSlots = 21;      // slots 0..20 of property 29
constexpr int kMaxCopies = 99;         // the most copies one print makes

enum class Destination { Screen = 0, Printer = 1, File = 2 };

// Error numbers raised to the caller's trap.
namespace err {
constexpr long TemplateNotFound = 20507;
constexpr long TemplateInvalid = 20525;
constexpr long FormulaInvalid = 20515;
constexpr long UnknownField = 20520;
constexpr long BadProperty = 20536;
constexpr long PrintFailed = 20545;
constexpr long DatabaseFailed = 20599;
} // namespace err

} // namespace report
