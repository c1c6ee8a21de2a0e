// The setup programs' command line, as deployment tools pass it: /S (silent), /LOG=<path>,
// /ALLUSERS, /CURRENTUSER, /NOSTART and /?, case-insensitive, in any order.
#pragma once

#include <string>
#include <vector>

namespace suite {

// Whose shortcuts and Settings > Apps entry: decided by the program (Automatic) unless
// a switch names it.
enum class Scope { Automatic, AllUsers, CurrentUser };

struct Switches {
    bool silent = false;    // /S: no window, no message box; the log and the exit code tell all
    std::wstring log;       // /LOG=<path>: the log there; empty: beside the program
    Scope scope = Scope::Automatic;
    bool noStart = false;   // /NOSTART: the program is not started at the end
    bool usage = false;     // /?
    bool relaunched = false;  // /ELEVATED: the uninstaller's own elevated run of itself
    std::wstring refused;   // the first argument not understood (or contradicting another), as given
    std::wstring contradicted;  // the earlier switch that one contradicts, as given; empty when not understood
};

// The arguments after the program's own name.
Switches ParseSwitches(const std::vector<std::wstring>& arguments);

// Arguments as one command line that Windows splits back into the same arguments: each
// with a space, a tab or a quote (or none at all) in quotes, backslashes doubled before a quote.
std::wstring CommandLineOf(const std::vector<std::wstring>& arguments);

// The log's line for a refused command line: the switch not understood, or the two that
// contradict each other.
std::wstring RefusalLine(const Switches& switches);

// Exit codes, as Windows Installer gives them, which deployment tools read.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitBadSwitch = 87;            // ERROR_INVALID_PARAMETER
inline constexpr int kExitCancelled = 1602;          // ERROR_INSTALL_USEREXIT
inline constexpr int kExitFailed = 1603;             // ERROR_INSTALL_FAILURE
inline constexpr int kExitNothingInstalled = 1605;   // ERROR_UNKNOWN_PRODUCT
inline constexpr int kExitAnotherRunning = 1618;     // ERROR_INSTALL_ALREADY_RUNNING

}  // namespace suite
