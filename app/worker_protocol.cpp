#include "app/worker_protocol.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/text.h"

namespace nubilux {

namespace {

constexpr wchar_t kOrderHeader[] = L"NubiluxOrder 1";

// A fraction as the 16 hexadecimal digits of its bits: it comes back to the bit, with no
// decimal conversion (and none of the runtime's code for one) either way.
std::wstring Number(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    std::wstring text(16, L'0');
    for (int digit = 15; digit >= 0; --digit, bits >>= 4) text[static_cast<std::size_t>(digit)] = L"0123456789abcdef"[bits & 15];
    return text;
}

// Digits only (no field is ever negative), at most 18: never past the type's range.
std::optional<std::int64_t> WholeNumber(std::wstring_view text) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    std::int64_t value = 0;
    for (const wchar_t digit : text) {
        if (digit < L'0' || digit > L'9') return std::nullopt;
        value = value * 10 + (digit - L'0');
    }
    return value;
}

// A lower-case hexadecimal digit's value; -1 for anything else.
int HexDigit(wchar_t digit) {
    return digit >= L'0' && digit <= L'9' ? digit - L'0' : digit >= L'a' && digit <= L'f' ? digit - L'a' + 10 : -1;
}

std::optional<double> RealNumber(std::wstring_view text) {
    if (text.size() != 16) return std::nullopt;
    std::uint64_t bits = 0;
    for (const wchar_t digit : text) {
        const int value = HexDigit(digit);
        if (value < 0) return std::nullopt;
        bits = bits << 4 | static_cast<std::uint64_t>(value);
    }
    double number = 0;
    std::memcpy(&number, &bits, sizeof number);
    if (!std::isfinite(number)) return std::nullopt;
    return number;
}

// "width height", both positive.
std::optional<Screen> Size(std::wstring_view text) {
    const auto space = text.find(L' ');
    if (space == std::wstring_view::npos) return std::nullopt;
    const auto width = WholeNumber(text.substr(0, space)), height = WholeNumber(text.substr(space + 1));
    if (!width || !height || *width <= 0 || *height <= 0 || *width > 1'000'000 || *height > 1'000'000)
        return std::nullopt;
    return Screen{static_cast<int>(*width), static_cast<int>(*height)};
}

std::wstring SizeText(Screen size) { return suite::Decimal(size.width) + L" " + suite::Decimal(size.height); }

bool OneLine(const std::wstring& value) { return value.find_first_of(L"\r\n") == std::wstring::npos; }

}  // namespace

std::wstring WriteOrder(const WorkerOrder& order) {
    std::wstring text = std::wstring(kOrderHeader) + L"\n";
    const auto field = [&](const wchar_t* key, const std::wstring& value) { text += key + (L"=" + value) + L"\n"; };
    field(L"number", suite::Decimal(order.number));
    field(L"name", order.source.name);
    field(L"url", order.source.url);
    field(L"slot", suite::Decimal(order.source.slot));
    field(L"earlierSlot", order.source.earlierSlot ? L"1" : L"0");
    field(L"dated", order.source.dated ? L"1" : L"0");
    field(L"picture", suite::Decimal(order.source.picture));
    if (const auto& crop = order.source.crop)
        field(L"crop", Number(crop->left) + L" " + Number(crop->top) + L" " + Number(crop->right) + L" " +
                           Number(crop->bottom));
    field(L"canvas", SizeText(order.plan.canvas));
    field(L"largest", SizeText(order.plan.largest));
    for (const std::wstring& target : order.plan.targets) field(L"target", target);
    for (const std::wstring& monitor : order.monitors) field(L"monitor", monitor);
    field(L"primary", order.primary ? L"1" : L"0");
    return text;
}

std::optional<WorkerOrder> ReadOrder(std::wstring_view text) {
    const auto firstBreak = text.find(L'\n');
    if (firstBreak == std::wstring_view::npos || text.substr(0, firstBreak) != kOrderHeader) return std::nullopt;
    WorkerOrder order;
    std::vector<std::wstring> seen;  // the keys read, each once but target= and monitor=
    const auto flag = [](const std::wstring& value) -> std::optional<bool> {
        if (value == L"0" || value == L"1") return value == L"1";
        return std::nullopt;
    };
    for (std::size_t at = firstBreak + 1; at < text.size();) {
        const std::size_t end = text.find(L'\n', at);
        if (end == std::wstring_view::npos) return std::nullopt;  // cut off mid-line
        const std::wstring_view line = text.substr(at, end - at);
        at = end + 1;
        const auto equals = line.find(L'=');
        if (equals == std::wstring_view::npos) return std::nullopt;
        const std::wstring key(line.substr(0, equals)), value(line.substr(equals + 1));
        const bool repeatable = key == L"target" || key == L"monitor";
        if (std::find(seen.begin(), seen.end(), key) != seen.end()) return std::nullopt;
        if (!repeatable) seen.push_back(key);
        if (key == L"number") {
            const auto number = WholeNumber(value);
            if (!number || *number > 0xFFFFFFFFLL) return std::nullopt;
            order.number = static_cast<unsigned>(*number);
        } else if (key == L"name") {
            order.source.name = value;
        } else if (key == L"url") {
            if (!IsUsableAddress(value)) return std::nullopt;
            order.source.url = value;
        } else if (key == L"slot") {
            const auto slot = WholeNumber(value);
            if (!slot) return std::nullopt;
            order.source.slot = *slot;
        } else if (key == L"earlierSlot" || key == L"dated" || key == L"primary") {
            const auto on = flag(value);
            if (!on) return std::nullopt;
            bool& field = key == L"earlierSlot" ? order.source.earlierSlot
                          : key == L"dated"     ? order.source.dated
                                                : order.primary;
            field = *on;
        } else if (key == L"picture") {
            const auto picture = WholeNumber(value);
            if (!picture || *picture > 64) return std::nullopt;
            order.source.picture = static_cast<int>(*picture);
        } else if (key == L"crop") {
            double parts[4];
            std::size_t from = 0;
            for (double& part : parts) {
                const std::size_t space = std::min(value.find(L' ', from), value.size());
                const auto number = RealNumber(value.substr(from, space - from));
                if (!number || *number < 0 || *number > 1) return std::nullopt;
                part = *number;
                from = space + 1;
            }
            if (from <= value.size() || parts[0] >= parts[2] || parts[1] >= parts[3]) return std::nullopt;
            order.source.crop = Crop{parts[0], parts[1], parts[2], parts[3]};
        } else if (key == L"canvas" || key == L"largest") {
            const auto size = Size(value);
            if (!size) return std::nullopt;
            (key == L"canvas" ? order.plan.canvas : order.plan.largest) = *size;
        } else if (key == L"target" || key == L"monitor") {
            if (value.empty()) return std::nullopt;
            (key == L"target" ? order.plan.targets : order.monitors).push_back(value);
        } else {
            return std::nullopt;
        }
    }
    // What every attempt needs: where from, how large, where to.
    for (const wchar_t* needed : {L"number", L"url", L"canvas", L"largest"})
        if (std::find(seen.begin(), seen.end(), needed) == seen.end()) return std::nullopt;
    if (order.plan.targets.empty()) return std::nullopt;
    return order;
}

std::wstring NewsLine(const WorkerNews& news) {
    switch (news.kind) {
    case WorkerNews::Kind::State: return L"state " + suite::Decimal(news.state);
    case WorkerNews::Kind::Installing: return L"installing";
    case WorkerNews::Kind::Ended: break;
    }
    // The path last: it may hold blanks, never a line break.
    return L"end " + suite::Decimal(static_cast<int>(news.end.ending)) + L" " +
           suite::Decimal(static_cast<int>(news.end.reason)) + L" " + suite::Decimal(news.end.takenAt) + L" " +
           (OneLine(news.end.placed) ? news.end.placed : L"");
}

std::optional<WorkerNews> ReadNews(std::wstring_view line) {
    WorkerNews news;
    if (line == L"installing") {
        news.kind = WorkerNews::Kind::Installing;
        return news;
    }
    if (line.substr(0, 6) == L"state ") {
        const auto state = WholeNumber(line.substr(6));
        if (!state || *state > 1000) return std::nullopt;
        news.state = static_cast<int>(*state);
        return news;
    }
    if (line.substr(0, 4) != L"end ") return std::nullopt;
    // "end <ending> <reason> <takenAt> <placed>"
    std::wstring_view rest = line.substr(4);
    std::int64_t numbers[3];
    for (std::int64_t& number : numbers) {
        const auto space = rest.find(L' ');
        if (space == std::wstring_view::npos) return std::nullopt;
        const auto value = WholeNumber(rest.substr(0, space));
        if (!value) return std::nullopt;
        number = *value;
        rest = rest.substr(space + 1);
    }
    if (numbers[0] > static_cast<int>(Ending::LocalFailure) || numbers[1] > static_cast<int>(Reason::Wallpaper))
        return std::nullopt;
    news.kind = WorkerNews::Kind::Ended;
    news.end = {static_cast<Ending>(numbers[0]), static_cast<Reason>(numbers[1]), std::wstring(rest), numbers[2]};
    // Only a picture in place names a bitmap, and it always does.
    if ((news.end.ending == Ending::Installed) == news.end.placed.empty()) return std::nullopt;
    return news;
}

std::wstring MonitorsText(const std::vector<Monitor>& monitors) {
    std::wstring text;
    for (const Monitor& monitor : monitors)
        if (OneLine(monitor.id))  // the path last: it may hold blanks, never a line break
            text += L"monitor " + SizeText(monitor.size) + (monitor.primary ? L" 1 " : L" 0 ") + monitor.id + L"\n";
    return text + L"end\n";
}

namespace {

// A helper's list: its lines before the "end" line that closes the text; nothing when it
// is cut off (a helper ended mid-way) or goes on after it.
std::optional<std::vector<std::wstring_view>> ListLines(std::wstring_view text) {
    std::vector<std::wstring_view> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find(L'\n', at);
        if (end == std::wstring_view::npos) return std::nullopt;  // cut off mid-line
        const std::wstring_view line = text.substr(at, end - at);
        at = end + 1;
        if (line == L"end") return at == text.size() ? std::optional(lines) : std::nullopt;
        lines.push_back(line);
    }
    return std::nullopt;  // no end line: cut off
}

}  // namespace

std::optional<std::vector<Monitor>> ReadMonitors(std::wstring_view text) {
    const auto lines = ListLines(text);
    if (!lines) return std::nullopt;
    std::vector<Monitor> monitors;
    for (const std::wstring_view line : *lines) {
        // "monitor <width> <height> <primary> <path>"
        if (line.substr(0, 8) != L"monitor ") return std::nullopt;
        const auto width = line.find(L' ', 8);
        const auto height = width == std::wstring_view::npos ? width : line.find(L' ', width + 1);
        const auto primary = height == std::wstring_view::npos ? height : line.find(L' ', height + 1);
        if (primary == std::wstring_view::npos || primary + 1 >= line.size()) return std::nullopt;
        const auto size = Size(line.substr(8, height - 8));
        const std::wstring_view flag = line.substr(height + 1, primary - height - 1);
        if (!size || (flag != L"0" && flag != L"1")) return std::nullopt;
        monitors.push_back({std::wstring(line.substr(primary + 1)), *size, flag == L"1"});
    }
    return monitors;
}

std::wstring ConnectionsText(const std::vector<Connection>& connections) {
    std::wstring text;
    for (const Connection& connection : connections)
        if (OneLine(connection.entryName) && !connection.entryName.empty())
            text += (connection.vpn ? L"vpn " : L"line ") + connection.entryName + L"\n";
    return text + L"end\n";
}

std::optional<std::vector<Connection>> ReadConnections(std::wstring_view text) {
    const auto lines = ListLines(text);
    if (!lines) return std::nullopt;
    std::vector<Connection> connections;
    for (const std::wstring_view line : *lines) {
        // "line <entry>" or "vpn <entry>"
        const bool vpn = line.substr(0, 4) == L"vpn ";
        const std::size_t name = vpn ? 4 : 5;
        if ((!vpn && line.substr(0, 5) != L"line ") || line.size() <= name) return std::nullopt;
        connections.push_back({std::wstring(line.substr(name)), vpn});
    }
    return connections;
}

std::wstring EntryArgument(const std::wstring& entryName) {
    std::wstring text;
    for (const wchar_t c : entryName)
        for (int shift = 12; shift >= 0; shift -= 4) text += L"0123456789abcdef"[(c >> shift) & 15];
    return text;
}

std::optional<std::wstring> EntryOfArgument(std::wstring_view argument) {
    if (argument.empty() || argument.size() % 4) return std::nullopt;
    std::wstring name;
    for (std::size_t at = 0; at < argument.size(); at += 4) {
        unsigned value = 0;
        for (const wchar_t digit : argument.substr(at, 4)) {
            const int d = HexDigit(digit);
            if (d < 0) return std::nullopt;
            value = value << 4 | static_cast<unsigned>(d);
        }
        name += static_cast<wchar_t>(value);
    }
    return name;
}

std::wstring MeteredText(bool metered) { return metered ? L"metered\n" : L"unmetered\n"; }

std::optional<bool> ReadMetered(std::wstring_view text) {
    if (text == L"metered\n") return true;
    if (text == L"unmetered\n") return false;
    return std::nullopt;
}

std::wstring WorkerTemporaryName(unsigned long processId) {
    std::wstring hex;
    do hex.insert(hex.begin(), L"0123456789ABCDEF"[processId & 15]); while (processId >>= 4);
    return L"nbx" + hex + L".tmp";
}

std::uint64_t WorkerMemoryLimit(const AttemptPlan& plan) {
    constexpr std::uint64_t kMiB = 1u << 20;
    const auto side = static_cast<std::uint64_t>(MaxPictureSide(plan.largest));
    const std::uint64_t frame = side * side * 4;  // the largest picture the header check lets through, decoded
    const std::uint64_t canvas = static_cast<std::uint64_t>(plan.canvas.width) * static_cast<std::uint64_t>(plan.canvas.height) * 4;
    return frame + canvas + kMaxBodyBytes + 64 * kMiB;
}

}  // namespace nubilux
