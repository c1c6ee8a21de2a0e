// Everything the installer shows the user.
#pragma once

#include <string>

namespace install::texts {

inline constexpr wchar_t kCaption[] = L"Quintaris Srl - Setup Wizard";
inline constexpr wchar_t kTitle[] = L"Installazione del programma";
inline constexpr wchar_t kButton[] = L"Installazione Terminata";
inline constexpr wchar_t kWarningTitle[] = L"Attenzione!!";
inline constexpr wchar_t kWarning[] = L"Gi\u00e0 installato o errore d'installazione.";
// Failures the window cannot show: a first-run command that cannot be started, a window
// that cannot be made. The platform's description follows.
inline constexpr wchar_t kCannotStart[] = L"Impossibile avviare il programma:";
// An elevated installer whose user's shell could not start the program: it was not
// started with the installer's rights instead.
inline constexpr wchar_t kNotElevated[] =
    L"Il programma non \u00e8 stato avviato con i diritti dell'installazione: avviarlo dal menu Start.";
inline constexpr wchar_t kCannotShow[] = L"Impossibile mostrare la finestra dell'installazione:";

// Setup.LOG's lines about the installation as a whole.
inline constexpr wchar_t kLogFolder[] = L"Cartella dell'applicazione: ";
inline constexpr wchar_t kLogCurrentUser[] = L"Collegamenti per l'utente corrente";
// /CURRENTUSER under another account than the session's: whose profile received them.
inline std::wstring CurrentUserNotSignedIn(const std::wstring& account) {
    return L"Collegamenti per l'utente " + (account.empty() ? std::wstring(L"che installa") : account) +
           L" (/CURRENTUSER), che non \u00e8 l'utente collegato";
}
inline constexpr wchar_t kLogAllUsersAsked[] = L"Collegamenti per tutti gli utenti (/ALLUSERS)";
inline constexpr wchar_t kLogAllUsersSystem[] =
    L"Collegamenti per tutti gli utenti: installazione eseguita dall'account di sistema";
inline constexpr wchar_t kLogAllUsersOther[] =
    L"Collegamenti per tutti gli utenti: l'account che installa non \u00e8 quello dell'utente collegato";
inline constexpr wchar_t kLogAppsEntry[] = L"Voce in Impostazioni > App: ";
inline constexpr wchar_t kLogInstalled[] = L"Installazione completata";
inline constexpr wchar_t kLogAlreadyInstalled[] = L"Gi\u00e0 installato: ";
// One installation per computer: the per-user one gives way to all users'.
inline constexpr wchar_t kLogAllUsersThere[] =
    L"Gi\u00e0 installato per tutti gli utenti, nulla \u00e8 stato aggiunto per l'utente corrente: ";
inline constexpr wchar_t kLogOwnReplaced[] =
    L"L'installazione per l'utente corrente \u00e8 sostituita da quella per tutti gli utenti, rimossa: ";
inline constexpr wchar_t kLogOwnNotRemoved[] = L"Installazione per l'utente corrente non rimossa: ";
inline constexpr wchar_t kLogFailed[] = L"Installazione non riuscita: ";
inline constexpr wchar_t kLogNoDescription[] = L"manca il file di descrizione ";
inline constexpr wchar_t kLogNothingDeployed[] = L"nessun componente installato";
inline constexpr wchar_t kLogNoShortcuts[] = L"collegamenti non creati";
inline constexpr wchar_t kLogAnotherRunning[] = L"Un'altra installazione \u00e8 in corso: nulla \u00e8 stato fatto";

// Install.exe /?
inline constexpr wchar_t kUsage[] =
    L"Install.exe [/S] [/LOG=<file>]\n    [/ALLUSERS | /CURRENTUSER] [/NOSTART]\n\n"
    L"/S \u2013 nessuna finestra: l'esito nel log e nel codice di uscita\n"
    L"/LOG=<file> \u2013 il log in quel file invece di Setup.LOG\n"
    L"/ALLUSERS \u2013 collegamenti per tutti gli utenti\n"
    L"/CURRENTUSER \u2013 collegamenti per l'utente corrente\n"
    L"/NOSTART \u2013 il programma non viene avviato\n\n"
    L"Codici di uscita:\n0 riuscita\n87 opzione sconosciuta\n1603 non riuscita\n"
    L"1618 un'altra installazione in corso";

}  // namespace install::texts
