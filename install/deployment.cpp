#include "install/deployment.h"

#include <utility>

#include "common/setup_log.h"
#include "common/text.h"
#include "install/components.h"
#include "install/description.h"

namespace install {

using suite::JoinPath;

Deployment::Deployment(Platform& platform, const suite::ProfileReader& ini, DeployFolders folders)
    : platform_(platform), ini_(ini), folders_(std::move(folders)) {}

std::wstring Deployment::BackupFolder() const { return JoinPath(folders_.installer, L"backup"); }

using suite::ErrorLine;

void Deployment::Check(const suite::Outcome& outcome) {
    if (outcome) return;
    ++failures_;
    Write(ErrorLine(outcome));
}

void Deployment::Log(const std::wstring& text) { Write(text); }

void Deployment::LogFailure(const suite::Outcome& outcome, const std::wstring& what) {
    Write(ErrorLine(outcome) + L" " + what);
}

void Deployment::Write(const std::wstring& text) {
    if (logLost_) return;
    const suite::Outcome written = platform_.Scrivi_Log(text);
    if (written) return;
    if (!logMoved_) {
        logMoved_ = true;
        const std::wstring where = platform_.LogFile();
        if (platform_.MoveLog() && platform_.Scrivi_Log(ErrorLine(written) + L" " + where) &&
            platform_.Scrivi_Log(text))
            return;
    }
    logLost_ = true;  // deployment goes on without a log
}

bool Deployment::Registra_DLL() {
    backupFound_ = false;
    components_ = failedComponents_ = 0;
    for (const std::wstring& file : Elenco_Componenti(ini_)) ProcessFile(file);
    return !logLost_;
}

void Deployment::ProcessFile(const std::wstring& file) {
    const int before = failures_;
    DeployFile(file);
    ++components_;
    if (failures_ > before) ++failedComponents_;
}

void Deployment::DeployFile(const std::wstring& file) {
    const std::wstring installed = JoinPath(folders_.system, file);
    const std::wstring shipped = JoinPath(folders_.lib, file);

    const std::wstring installedVersion = Get_Version(folders_.system, file);
    if (marker_ == L"FALSE") {
        // No installed copy, or one without version data: install outright.
        Log(L"copy " + shipped + L" " + installed);
        Check(platform_.CopyOver(shipped, installed));
        Log(installed + L" Register");
        Check(Registra_Componente(file, folders_.system));
        return;
    }

    const std::wstring shippedVersion = Get_Version(folders_.lib, file);
    Log(installed + L" Versione: " + installedVersion);
    Log(shipped + L" Versione: " + shippedVersion);
    if (!IsOlderVersion(installedVersion, shippedVersion)) return;

    Log(installed + L" Unregister");
    Check(Deregistra_Componente(file, folders_.system));
    EnsureBackupFolder();
    const std::wstring saved = JoinPath(BackupFolder(), file);
    Log(L"copy " + installed + L" " + saved);
    Check(platform_.CopyOver(installed, saved));
    Log(L"copy " + shipped + L" " + installed);
    Check(platform_.CopyOver(shipped, installed));
    Log(installed + L" Register");
    Check(Registra_Componente(file, folders_.system));
}

void Deployment::EnsureBackupFolder() {
    std::vector<Platform::Entry> entries;
    Check(platform_.ListEntries(folders_.installer, L"backup", entries));  // none when it fails
    for (const auto& entry : entries) {
        if (entry.folder && entry.name == L"backup") {
            backupFound_ = true;
            break;
        }
    }
    if (backupFound_) return;
    Log(BackupFolder() + L" Creazione cartella");
    Check(platform_.CreateFolder(BackupFolder()));
}

std::wstring Deployment::Get_Version(const std::wstring& cartella, const std::wstring& nomefile) {
    path_ = JoinPath(cartella, nomefile);
    Leggi_Versione_File();
    return versionText_;
}

void Deployment::Leggi_Versione_File() {
    marker_.clear();
    const auto version = platform_.ReadFileVersion(path_);
    if (!version) {
        marker_ = L"FALSE";  // the text of the last successful read stays
        return;
    }
    versionText_ = FormatVersion(*version);
}

suite::Outcome Deployment::Registra_Componente(const std::wstring& file, const std::wstring& folder) {
    return CallComponent(file, folder, false);
}

suite::Outcome Deployment::Deregistra_Componente(const std::wstring& file, const std::wstring& folder) {
    return CallComponent(file, folder, true);
}

suite::Outcome Deployment::CallComponent(const std::wstring& file, const std::wstring& folder, bool unregister) {
    if (auto moved = platform_.SetCurrentFolder(folder); !moved) return moved;
    const Component* row = FindComponent(file);
    if (!row) return suite::Outcome::Success();
    // By full path in the system folder: a bare name could pick up a planted copy.
    return platform_.CallEntry(JoinPath(folder, row->library),
                               unregister ? row->unregisterEntry : row->registerEntry,
                               unregister ? "DllUnregisterServer" : "DllRegisterServer");
}

}  // namespace install
