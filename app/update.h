// One update of the wallpaper, and the dial-up bookkeeping around its download.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/outcome.h"

namespace nubilux {

// A remote-access connection as the system lists it.
struct Connection {
    std::wstring entryName;
    std::uintptr_t handle = 0;
};

// The platform operations an update uses; app/win32/ implements them, the unit tests
// fake them. Steps that only report back return nothing: their failures are passed over.
class UpdatePlatform {
public:
    virtual ~UpdatePlatform() = default;
    // The open dial-up connections; none when the remote-access library is missing.
    virtual std::vector<Connection> EnumConnections() = 0;
    virtual void HangUp(std::uintptr_t handle) = 0;
    // The notification icon: the sun with the working tip, or the cloud with the idle one.
    virtual void ShowWorking(bool working) = 0;
    // The picture's bytes. A failed, timed-out, truncated, non-2xx or oversized transfer fails.
    virtual suite::Outcome Fetch(std::string& body) = 0;
    // Ends the request and closes its connection.
    virtual void CancelFetch() = 0;
    // Where NUBILUX.BMP lives.
    virtual std::wstring ImageFile() = 0;
    virtual bool HasContent(const std::wstring& path) = 0;
    // Decodes a picture by its content and makes it a Windows bitmap at target, replacing
    // target in one move only once the new bitmap is whole.
    virtual suite::Outcome SaveAsBitmap(const std::string& picture, const std::wstring& target) = 0;
    virtual suite::Outcome SetWallpaper(const std::wstring& path) = 0;
};

class Updater {
public:
    explicit Updater(UpdatePlatform& platform) : platform_(platform) {}

    // One whole update; never reports a failure. A call while an update runs does nothing.
    void Aggiorna_Sfondo();
    bool Running() const { return running_; }
    const std::wstring& Connessione_Iniziale() const { return connessioneIniziale_; }

private:
    bool Fetch_And_Set();
    void Connessioni_Attive();
    void Chiudi_connessione();

    UpdatePlatform& platform_;
    std::wstring connessioneIniziale_;
    bool running_ = false;
};

}  // namespace nubilux
