// A question to another process (the shell, a system service) asked on a thread of its
// own, so that the window never waits on it longer than its deadline: a hung Explorer
// costs one thread and the last answer, never the window.
#pragma once

#include <windows.h>

#include <objbase.h>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "common/win32/unique.h"

namespace nubilux::win32 {

template <typename T>
class AskedAside {
public:
    // ask: runs on the question's thread, in the multithreaded apartment; when it gives
    // nothing (or throws), the last answer stands. known: the answer until the first comes.
    AskedAside(std::function<std::optional<T>()> ask, T known) : state_(std::make_shared<State>(std::move(ask), std::move(known))) {}

    // Asks anew, unless a question is still out, and waits up to waitMs for its answer:
    // the newest answer there is then.
    T Get(DWORD waitMs) { return Ask(waitMs).second; }

    // The same, but nothing unless the answer came within waitMs: for a question whose
    // old answer would mislead.
    std::optional<T> Fresh(DWORD waitMs) {
        auto [answered, answer] = Ask(waitMs);
        if (!answered) return std::nullopt;
        return std::move(answer);
    }

    // Whether a question is still out (a hung answerer).
    bool Asking() const {
        const ::win32::Locked held(state_->lock);
        return state_->asking;
    }

private:
    // Whether the answer came within waitMs, and the newest answer there is.
    std::pair<bool, T> Ask(DWORD waitMs) {
        {
            const ::win32::Locked held(state_->lock);
            if (!state_->asking) {
                ::ResetEvent(state_->answered.get());
                // The thread keeps the state alive: it may outlive this object.
                auto* kept = new std::shared_ptr<State>(state_);
                ::win32::UniqueHandle thread(::CreateThread(nullptr, 0, Answer, kept, 0, nullptr));
                if (thread)
                    state_->asking = true;
                else
                    delete kept;
            }
        }
        const bool answered = ::WaitForSingleObject(state_->answered.get(), waitMs) == WAIT_OBJECT_0;
        const ::win32::Locked held(state_->lock);
        return {answered, state_->known};
    }

    struct State {
        State(std::function<std::optional<T>()> question, T first)
            : ask(std::move(question)), known(std::move(first)), answered(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
        std::function<std::optional<T>()> ask;
        SRWLOCK lock = SRWLOCK_INIT;
        T known;
        bool asking = false;
        ::win32::UniqueHandle answered;
    };

    static DWORD WINAPI Answer(void* parameter) noexcept {
        const std::unique_ptr<std::shared_ptr<State>> kept(static_cast<std::shared_ptr<State>*>(parameter));
        State& state = **kept;
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        try {
            if (std::optional<T> answer = state.ask()) {
                const ::win32::Locked held(state.lock);
                state.known = std::move(*answer);
            }
        } catch (...) {
            // No answer this time: the last one stands.
        }
        if (SUCCEEDED(com)) ::CoUninitialize();
        const ::win32::Locked held(state.lock);
        state.asking = false;
        ::SetEvent(state.answered.get());
        return 0;
    }

    std::shared_ptr<State> state_;
};

}  // namespace nubilux::win32
