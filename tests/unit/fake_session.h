// A session's platform in memory: a journal of the update's steps, attempts that end when
// the test says so, monitors, a metered switch and the settings kept.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "app/session.h"

namespace test {

// Sources grouped by the picture they name, each picture the size given for it (the last
// size for any further one).
inline nubilux::UpdateRun RunOf(const std::vector<nubilux::Source>& sources,
                                const std::vector<nubilux::Screen>& sizes = {{1920, 1080}}) {
    nubilux::UpdateRun run;
    const auto add = [&](nubilux::Screen size) {
        const std::wstring file = L"C:\\N\\NUBILUX" + std::to_wstring(run.pictures.size()) + L".BMP";
        run.pictures.push_back({{size, size, {file}}, {}, {}});
    };
    for (const nubilux::Source& source : sources) {
        while (run.pictures.size() <= static_cast<std::size_t>(source.picture))
            add(sizes[std::min(run.pictures.size(), sizes.size() - 1)]);
        run.pictures[static_cast<std::size_t>(source.picture)].sources.push_back(source);
    }
    // A size with no sources is still a picture the update is made for.
    while (run.pictures.size() < sizes.size()) add(sizes[run.pictures.size()]);
    return run;
}

class FakeSession : public nubilux::SessionPlatform {
public:
    std::vector<std::wstring> journal;
    // One list per call; a nothing stands for a listing that failed. None left: no connection.
    std::vector<std::optional<std::vector<nubilux::Connection>>> enumerations;
    std::vector<unsigned> started;
    std::vector<nubilux::WorkerOrder> orders;
    bool startFails = false, startThrows = false;
    int startsRefused = 0;  // this many starts fail first
    bool installing = false;  // the attempt under way is past giving up (or has ended)
    int forsaken = 0;         // attempts ended whatever they did
    // The update's sources and the monitor sizes, now and as the next update plans them.
    std::vector<nubilux::Source> sources;
    std::vector<nubilux::Screen> sizes{{1920, 1080}};
    nubilux::RegionFault regionFault = nubilux::RegionFault::None;
    std::vector<bool> plannedRegions;  // what each update was planned to show
    bool metered = false;
    std::map<std::wstring, std::wstring> kept;

    // An attempt under way: its ending is the test's to give; being ended is journalled.
    class Attempt final : public nubilux::RunningAttempt {
    public:
        explicit Attempt(FakeSession& platform) : platform_(platform) {}
        bool Abandon() override {
            platform_.journal.push_back(L"cancel");
            return !platform_.installing;
        }
        void End() override {
            platform_.journal.push_back(L"forsake");
            ++platform_.forsaken;
        }

    private:
        FakeSession& platform_;
    };

    std::optional<std::vector<nubilux::Connection>> EnumConnections() override {
        journal.push_back(L"enum");
        if (enumerations.empty()) return std::vector<nubilux::Connection>{};
        auto first = enumerations.front();
        enumerations.erase(enumerations.begin());
        return first;
    }
    void HangUp(const std::wstring& entryName) override { journal.push_back(L"hangup " + entryName); }
    std::shared_ptr<nubilux::RunningAttempt> StartAttempt(const nubilux::WorkerOrder& order) override {
        if (startFails) return nullptr;
        if (startsRefused > 0) {
            --startsRefused;
            journal.push_back(L"refused " + order.source.name);
            return nullptr;
        }
        if (startThrows) throw std::bad_alloc();
        started.push_back(order.number);
        orders.push_back(order);
        journal.push_back(L"start " + order.source.name);
        return std::make_shared<Attempt>(*this);
    }

    nubilux::UpdateRun PlanUpdate(bool region) override {
        journal.push_back(L"plan");
        plannedRegions.push_back(region);
        return RunOf(sources, sizes);
    }
    nubilux::RegionFault UsersRegionFault() override { return regionFault; }
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
