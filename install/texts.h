// Everything the installer shows the user.
#pragma once

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

}  // namespace install::texts
