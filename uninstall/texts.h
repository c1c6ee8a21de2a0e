// Everything the uninstaller shows the user.
#pragma once

#include <string>

namespace uninstall::texts {

inline constexpr wchar_t kCaption[] = L"Quintaris - Uninstall Wizard";
inline constexpr wchar_t kOk[] = L"Procedi";
inline constexpr wchar_t kCancel[] = L"Annulla";
inline constexpr wchar_t kClose[] = L"Chiudi";
// A window that cannot be made; the platform's description follows.
inline constexpr wchar_t kCannotShow[] = L"Impossibile mostrare la finestra:";
inline constexpr wchar_t kUsage[] =
    L"uninstall.exe [/S] [/LOG=<file>]\n    [/ALLUSERS | /CURRENTUSER]\n\n"
    L"/S \u2013 nessuna finestra, nessuna domanda: l'esito nel log e nel codice di uscita\n"
    L"/LOG=<file> \u2013 il log in quel file invece di Setup.LOG\n"
    L"/ALLUSERS \u2013 l'installazione per tutti gli utenti\n"
    L"/CURRENTUSER \u2013 l'installazione dell'utente corrente\n\n"
    L"Codici di uscita:\n0 rimosso\n87 opzione sconosciuta\n1602 diritti di amministratore negati\n"
    L"1603 rimozione non completata\n1605 nulla da rimuovere";
// An all-users removal without an administrator's rights runs itself again with them.
inline constexpr wchar_t kLogElevating[] =
    L"Rimozione per tutti gli utenti: avviata di nuovo con i diritti di amministratore";
inline constexpr wchar_t kElevationRefused[] =
    L"La rimozione per tutti gli utenti richiede i diritti di amministratore, che non sono stati concessi: "
    L"nulla \u00e8 stato rimosso.";
// The elevated run could not be started; the platform's description follows.
inline constexpr wchar_t kCannotElevate[] = L"Impossibile avviare la rimozione con i diritti di amministratore: ";
inline constexpr wchar_t kGroupNotice[] = L"E' stato rimosso anche il gruppo di programmi\"";

inline std::wstring Title(const std::wstring& name) { return L"Rimozione del programma " + name; }
inline std::wstring Done(const std::wstring& name) { return L"Rimozione di " + name + L" terminata."; }
inline std::wstring Cancelled(const std::wstring& name) { return L"Rimozione di " + name + L" annullata."; }
// A removal that stopped part-way; the platform's reason goes beneath.
inline std::wstring Incomplete(const std::wstring& name) { return L"Rimozione di " + name + L" non completata."; }
// A second run: this user's record says the removal was done, and nothing is left.
inline std::wstring AlreadyDone(const std::wstring& name) { return L"Rimozione di " + name + L" gi\u00e0 eseguita."; }

// Beneath a completed removal: what stays, and where.
inline std::wstring Stays(const std::wstring& folder, const std::wstring& settings) {
    return L"Restano la cartella " + folder + L", con il programma e la sua immagine (ancora sfondo del desktop), " +
           L"e le impostazioni in " + settings + L".";
}
// A program that did not end when asked: it goes on running from the folder that stays.
inline std::wstring StillRunning(const std::wstring& program) {
    return program + L" è ancora in esecuzione: chiuderlo dalla sua icona nell'area di notifica.";
}

// Nothing is removed when the description file cannot say what was installed; the
// notice beneath says why and names the file.
inline constexpr wchar_t kCannotTell[] = L"Impossibile stabilire cosa rimuovere.";
inline std::wstring NoDescription(const std::wstring& file) {
    return L"Manca il file " + file + L", che descrive l'installazione.";
}
inline std::wstring IncompleteDescription(const std::wstring& file) {
    return L"Il file " + file + L" non indica il nome (Name) e la cartella (Folder) del programma.";
}
// /S, when nothing of the installation is there to remove.
inline std::wstring NothingToRemove(const std::wstring& name) {
    return L"Nulla da rimuovere: " + name + L" non risulta installato.";
}
inline std::wstring NothingInstalled(const std::wstring& file) {
    return L"Nulla di quanto descritto nel file " + file + L" risulta installato per questo utente.";
}

// Another account removes the session's user's own installation: whose it is.
inline std::wstring OwnedBy(const std::wstring& owner) {
    return owner.empty() ? L"" : L"Installazione dell'utente " + owner + L".";
}
// Another account, which could not read the session's user's profile: where to look instead.
inline std::wstring ElsewhereNote(const std::wstring& user) {
    return user.empty() ? L""
                        : L" Un'installazione dell'utente " + user +
                              L" va rimossa da quell'utente, da Impostazioni > App o dal menu Start.";
}

}  // namespace uninstall::texts
