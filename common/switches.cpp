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
    const auto refuse = [&](const std::wstring& argument) {
        if (switches.refused.empty()) switches.refused = argument;
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
        } else if (name == L"NOSTART") {
            switches.noStart = true;
        } else if (name == L"ALLUSERS" || name == L"CURRENTUSER") {
            const Scope scope = name == L"ALLUSERS" ? Scope::AllUsers : Scope::CurrentUser;
            if (switches.scope != Scope::Automatic && switches.scope != scope) refuse(argument);
            switches.scope = scope;
        } else if (name.rfind(L"LOG=", 0) == 0 && name.size() > 4) {
            switches.log = argument.substr(5);
        } else {
            refuse(argument);
        }
    }
    return switches;
}

}  // namespace suite
