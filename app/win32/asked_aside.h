// A question to another process (the shell, a system service) asked by a helper process
// of Nubilux's own, so that the window never waits on it longer than its deadline and
// nothing of the system's machinery for it stays in Nubilux: a hung Explorer costs a
// helper, ended after its time, and the last answer; never the window, never a thread.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "app/win32/attempt_process.h"

namespace nubilux::win32 {

template <typename T>
class AskedAside {
public:
    // The helper is `program arguments`; read: its answer from what it said, nothing when
    // it gave none (the last answer stands); known: the answer until the first comes; a
    // helper still out after limitMs is ended at the next question.
    AskedAside(std::wstring program, std::wstring arguments, std::function<std::optional<T>(const std::string&)> read,
               T known, DWORD limitMs)
        : program_(std::move(program)), arguments_(std::move(arguments)), read_(std::move(read)), known_(std::move(known)),
          limitMs_(limitMs) {}

    // Asks anew, unless a question is still out, and waits up to waitMs for its answer:
    // the newest answer there is then. Get(0) only asks, for an answer ready later.
    T Get(DWORD waitMs) { return Ask(waitMs).second; }

    // The same, but nothing unless the answer came within waitMs: for a question whose
    // old answer would mislead.
    std::optional<T> Fresh(DWORD waitMs) {
        auto [answered, answer] = Ask(waitMs);
        if (!answered) return std::nullopt;
        return std::move(answer);
    }

    // Whether a question is still out (a hung answerer).
    bool Asking() const { return helper_ != nullptr; }

private:
    // Whether the answer came within waitMs, and the newest answer there is: an earlier
    // question's, come since, when this one's is late.
    std::pair<bool, T> Ask(DWORD waitMs) {
        if (helper_ && helper_->Wait(0))
            Take();
        else if (helper_ && ::GetTickCount64() - helper_->StartedAt() > limitMs_)
            helper_.reset();  // past its time: ended
        if (!helper_) helper_ = HelperProcess::Start(program_, arguments_);
        if (!helper_ || !helper_->Wait(waitMs)) return {false, known_};
        Take();
        return {true, known_};
    }

    // The ended helper's answer, unless it gave none.
    void Take() {
        try {
            if (std::optional<T> answer = read_(helper_->Output())) known_ = std::move(*answer);
        } catch (...) {
            // No answer this time: the last one stands.
        }
        helper_.reset();
    }

    std::wstring program_, arguments_;
    std::function<std::optional<T>(const std::string&)> read_;
    T known_;
    DWORD limitMs_;
    std::unique_ptr<HelperProcess> helper_;  // the question out
};

}  // namespace nubilux::win32
