#include "common/switches.h"

#include <cwctype>

namespace suite {

namespace {

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

}  // namespace

Switches ParseSwitches(const std::vector<std::wstring>& arguments) {
    Switches switches;
    std::wstring scopeSwitch;  // the scope's switch, as given
    const auto refuse = [&](const std::wstring& argument, const std::wstring& contradicted = L"") {
        if (!switches.refused.empty()) return;
        switches.refused = argument;
        switches.contradicted = contradicted;
    };
    for (const std::wstring& argument : arguments) {
        // "-S" as well as "/S": both forms are common among installers.
        if (argument.size() < 2 || (argument[0] != L'/' && argument[0] != L'-')) {
            refuse(argument);
            continue;
        }
        const std::wstring name = Upper(argument.substr(1));
        if (name == L"S") {
            switches.silent = true;
        } else if (name == L"?") {
            switches.usage = true;
        } else if (name == L"ELEVATED") {
            switches.relaunched = true;
        } else if (name == L"NOSTART") {
            switches.noStart = true;
        } else if (name == L"ALLUSERS" || name == L"CURRENTUSER") {
            const Scope scope = name == L"ALLUSERS" ? Scope::AllUsers : Scope::CurrentUser;
            if (switches.scope != Scope::Automatic && switches.scope != scope) refuse(argument, scopeSwitch);
            switches.scope = scope;
            scopeSwitch = argument;
        } else if (name.rfind(L"LOG=", 0) == 0 && name.size() > 4) {
            switches.log = argument.substr(5);
        } else {
            refuse(argument);
        }
    }
    return switches;
}

std::wstring CommandLineOf(const std::vector<std::wstring>& arguments) {
    std::wstring line;
    for (const std::wstring& argument : arguments) {
        if (!line.empty()) line += L' ';
        if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) {
            line += argument;
            continue;
        }
        line += L'"';
        std::size_t backslashes = 0;
        for (const wchar_t c : argument) {
            if (c == L'\\') {
                ++backslashes;
                continue;
            }
            // Backslashes before a quote stand for half as many: doubled, and the quote escaped.
            line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
            backslashes = 0;
            line += c;
        }
        line.append(2 * backslashes, L'\\');  // before the closing quote
        line += L'"';
    }
    return line;
}

std::wstring RefusalLine(const Switches& switches) {
    if (switches.contradicted.empty()) return L"Opzione sconosciuta: " + switches.refused;
    return L"Opzioni in contraddizione: " + switches.contradicted + L" e " + switches.refused;
}

}  // namespace suite
