#include "uninstall/flow.h"

#include "common/text.h"
#include "uninstall/texts.h"

namespace uninstall {

std::wstring Form_load(const suite::ProfileReader& ini, const StartEnvironment& environment,
                       UninstallState& state) {
    File_INI_Carica(ini, state);
    state.Cartella_Programmi = environment.programs;
    state.Nome_Esecuzione_Automatica = suite::LastComponent(environment.startup);
    state.Cartella_Desktop = environment.desktop;
    return texts::Title(state.Name);
}

WindowTexts cmd_OK_Click(Platform& platform, const UninstallState& state) {
    // Without a Programs folder every path would start at the root of a drive.
    if (state.Cartella_Programmi.empty()) return {texts::Incomplete(state.Name), L""};
    const Removal removal = Rimuovi_Gruppo_e_Icone(platform, state);
    switch (removal.result) {
    case Removal::Result::Failed:
        return {texts::Incomplete(state.Name), removal.failure.description};
    case Removal::Result::AlreadyDone:
        return {texts::AlreadyDone(state.Name), L""};
    case Removal::Result::Done:
        break;
    }
    return {texts::Done(state.Name),
            removal.groupRemoved ? std::wstring(texts::kGroupNotice) + L" " + state.Gruppo : L""};
}

WindowTexts cmd_Annulla_Click(const UninstallState& state) { return {texts::Cancelled(state.Name), L""}; }

}  // namespace uninstall
