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
inline constexpr wchar_t kCannotShow[] = L"Impossibile mostrare la finestra dell'installazione:";

}  // namespace install::texts
