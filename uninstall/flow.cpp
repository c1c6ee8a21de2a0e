#include "uninstall/flow.h"

#include "common/text.h"
#include "uninstall/texts.h"

namespace uninstall {

Opening Form_load(Platform& platform, const suite::ProfileReader& ini, const StartEnvironment& environment,
                  UninstallState& state) {
    static_cast<suite::Layout&>(state) = suite::ReadLayout(ini);
    state.Cartella_Programmi = environment.programs;
    state.Nome_Esecuzione_Automatica = suite::LastComponent(environment.startup);
    state.Cartella_Desktop = environment.desktop;
    const Verdict verdict = Judge(platform, state, environment.descriptionFound);
    switch (verdict) {
    case Verdict::NoDescription: return {{texts::kCannotTell, texts::NoDescription(ini.File())}, verdict};
    case Verdict::IncompleteDescription:
        return {{texts::kCannotTell, texts::IncompleteDescription(ini.File())}, verdict};
    case Verdict::NothingInstalled: return {{texts::kCannotTell, texts::NothingInstalled(ini.File())}, verdict};
    case Verdict::Remove:
    case Verdict::AlreadyRemoved: break;
    }
    return {{texts::Title(state.Name), L""}, verdict};
}

WindowTexts cmd_OK_Click(Platform& platform, const UninstallState& state, Verdict verdict) {
    if (verdict == Verdict::AlreadyRemoved) return {texts::AlreadyDone(state.Name), L""};
    // Without a Programs folder every path would start at the root of a drive.
    if (state.Cartella_Programmi.empty()) return {texts::Incomplete(state.Name), L""};
    const Removal removal = Rimuovi_Gruppo_e_Icone(platform, state);
    if (removal.result == Removal::Result::Failed)
        return {texts::Incomplete(state.Name), removal.failure.description};
    return {texts::Done(state.Name),
            removal.groupRemoved ? std::wstring(texts::kGroupNotice) + L" " + state.Gruppo : L""};
}

WindowTexts cmd_Annulla_Click(const UninstallState& state) { return {texts::Cancelled(state.Name), L""}; }

}  // namespace uninstall
