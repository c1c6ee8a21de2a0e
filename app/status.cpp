#include "app/status.h"

#include "app/texts.h"

namespace nubilux {

std::optional<StateTexts> DescribeState(int state) {
    static constexpr StateTexts kStates[] = {
        {L"icNone", L"Nessuna informazione sullo stato."},
        {L"icHostResolvingHost", L"Ricerca dell'indirizzo IP del computer host specificato in corso."},
        {L"icHostResolved", L"L'indirizzo IP del computer host \u00e8 stato trovato."},
        {L"icConnecting", L"Connessione al computer host in corso."},
        {L"icConnected", L"La connessione al computer host \u00e8 stata eseguita."},
        {L"icRequesting", L"Invio di una richiesta al computer host in corso."},
        {L"icRequestSent", L"La richiesta \u00e8 stata inviata."},
        {L"icReceivingResponse", L"Il controllo sta ricevendo una risposta dal computer host."},
        {L"icResponseReceived", L"La risposta dal computer host \u00e8 stata ricevuta."},
        {L"icDisconnecting", L"Disconnessione dal computer host in corso."},
        {L"icDisconnected", L"Disconnessione dal computer host eseguita."},
        {L"icError", L"Errore di comunicazione con il computer host."},
        {L"icResponseCompleted", L"La richiesta \u00e8 stata completata e sono stati ricevuti tutti i dati."},
    };
    if (state < 0 || state > kStateResponseCompleted) return std::nullopt;
    return kStates[state];
}

std::wstring FailureLine(const std::wstring& at, Reason reason, const std::wstring& nextTry) {
    std::wstring line = texts::kFailedAt + at + L": " + ReasonText(reason);
    if (!nextTry.empty()) line += texts::kNextTry + nextTry;
    return line;
}

}  // namespace nubilux
