// A session's platform in memory: a journal of the update's steps, attempts that end when
// the test says so, monitors, a metered switch and the settings kept.
#pragma once

#include <map>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "app/session.h"

namespace test {

class FakeSession : public nubilux::SessionPlatform {
public:
    std::vector<std::wstring> journal;
    // One list per call; a nothing stands for a listing that failed. None left: no connection.
    std::vector<std::optional<std::vector<nubilux::Connection>>> enumerations;
    std::vector<unsigned> started;
    bool startFails = false, startThrows = false;
    bool installing = false;  // the attempt under way is past giving up (or has ended)
    int forsaken = 0;
    // The update's sources and the monitor sizes, now and as the next update plans them.
    std::vector<nubilux::Source> sources;
    std::vector<nubilux::Screen> sizes{{1920, 1080}};
    bool metered = false;
    std::map<std::wstring, std::wstring> kept;

    std::optional<std::vector<nubilux::Connection>> EnumConnections() override {
        journal.push_back(L"enum");
        if (enumerations.empty()) return std::vector<nubilux::Connection>{};
        auto first = enumerations.front();
        enumerations.erase(enumerations.begin());
        return first;
    }
    void HangUp(std::uintptr_t handle) override { journal.push_back(L"hangup " + std::to_wstring(handle)); }
    bool StartAttempt(unsigned number, const nubilux::Source& source) override {
        if (startFails) return false;
        if (startThrows) throw std::bad_alloc();
        started.push_back(number);
        journal.push_back(L"start " + source.name);
        return true;
    }
    bool CancelFetch() override {
        journal.push_back(L"cancel");
        return !installing;
    }
    void Forsake() override {
        journal.push_back(L"forsake");
        ++forsaken;
    }

    nubilux::UpdatePlan PlanUpdate() override {
        journal.push_back(L"plan");
        return {sources, sizes};
    }
    std::vector<nubilux::Screen> MonitorSizes() override { return sizes; }
    bool Metered() override { return metered; }
    void Keep(const wchar_t* key, const std::wstring& value) override { kept[key] = value; }
    // Stamps shown as they are kept, the time alone as its last five characters.
    std::wstring ShowStamp(const std::wstring& stored, bool withDate) override {
        return withDate || stored.size() < 5 ? stored : stored.substr(stored.size() - 5);
    }
    std::wstring LocalStamp(std::int64_t utc) override { return nubilux::StampOf(utc + 3600); }  // one hour east

    // The names of the sources started, in order.
    std::vector<std::wstring> Started() const {
        std::vector<std::wstring> names;
        for (const auto& entry : journal)
            if (entry.rfind(L"start ", 0) == 0) names.push_back(entry.substr(6));
        return names;
    }
};

}  // namespace test
