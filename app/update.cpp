#include "app/update.h"

namespace nubilux {

void Updater::Aggiorna_Sfondo() {
    if (running_) return;  // a click or tick during an update
    running_ = true;
    connessioneIniziale_.clear();
    Connessioni_Attive();
    platform_.ShowWorking(true);
    Fetch_And_Set();
    // The finishing steps, on every path.
    platform_.CancelFetch();
    Chiudi_connessione();
    platform_.ShowWorking(false);
    running_ = false;
}

bool Updater::Fetch_And_Set() {
    std::string body;
    if (!platform_.Fetch(body)) return false;
    const std::wstring image = platform_.ImageFile();
    if (body.empty()) {
        // Nothing new: the stored bitmap, if any, stays the wallpaper.
        return platform_.HasContent(image) && platform_.SetWallpaper(image);
    }
    return platform_.SaveAsBitmap(body, image) && platform_.SetWallpaper(image);
}

void Updater::Connessioni_Attive() {
    // With several open, the last one listed is the one remembered.
    for (const Connection& connection : platform_.EnumConnections()) connessioneIniziale_ = connection.entryName;
}

void Updater::Chiudi_connessione() {
    // Hang up only what the download itself dialled: nothing was open before it.
    if (!connessioneIniziale_.empty()) return;
    for (const Connection& connection : platform_.EnumConnections()) platform_.HangUp(connection.handle);
}

}  // namespace nubilux
