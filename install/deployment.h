// Bringing the component files of Install.ini into the system folder: version
// comparison, backup, unregistration, copy, registration, and a log line before each.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/outcome.h"
#include "common/profile.h"
#include "install/platform.h"

namespace install {

struct DeployFolders {
    std::wstring system;     // Cartella_Sistema: where components go
    std::wstring lib;        // Cartella_LIB: where the shipped copies lie
    std::wstring installer;  // the installer's folder, which holds the backup folder
};

class Deployment {
public:
    Deployment(Platform& platform, const suite::ProfileReader& ini, DeployFolders folders);

    // Deploys the LIB list. Every failure is logged and work goes on with the next action.
    // A log that cannot be written beside the installer moves to the fallback place, with
    // a first line that says why; without any log the work still goes on. False then.
    bool Registra_DLL();
    // After Registra_DLL: whether there were components and every one of them failed.
    bool NothingDeployed() const { return components_ > 0 && failedComponents_ == components_; }

    // The version text of cartella\nomefile, or the previous one when the file has none;
    // Marker() then says "FALSE".
    std::wstring Get_Version(const std::wstring& cartella, const std::wstring& nomefile);
    const std::wstring& Marker() const { return marker_; }

    suite::Outcome Registra_Componente(const std::wstring& file, const std::wstring& folder);
    suite::Outcome Deregistra_Componente(const std::wstring& file, const std::wstring& folder);

    std::wstring BackupFolder() const;

    // Logs a failure of a step after deployment ("Errore: n-description what"), through
    // the same log and its fallback.
    void LogFailure(const suite::Outcome& outcome, const std::wstring& what);
    // Logs a line after deployment, through the same log and its fallback.
    void Log(const std::wstring& text);

private:
    void Leggi_Versione_File();
    void ProcessFile(const std::wstring& file);
    void DeployFile(const std::wstring& file);
    void EnsureBackupFolder();
    suite::Outcome CallComponent(const std::wstring& file, const std::wstring& folder, bool unregister);
    void Write(const std::wstring& text);
    // The one failure handler: logs the failure.
    void Check(const suite::Outcome& outcome);

    Platform& platform_;
    const suite::ProfileReader& ini_;
    DeployFolders folders_;
    std::wstring path_;  // of the file Get_Version reads
    std::wstring versionText_;
    std::wstring marker_;
    bool backupFound_ = false;
    bool logMoved_ = false, logLost_ = false;
    int failures_ = 0;  // failed actions
    int components_ = 0, failedComponents_ = 0;
};

}  // namespace install
