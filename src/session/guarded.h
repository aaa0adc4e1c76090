// SPDX-License-Identifier: MIT
// The session's one way of turning the engine's failures into SessionError, for its
// own sources only.
#pragma once

#include <functional>
#include <new>
#include <string>
#include <utility>

#include "core/errors.h"
#include "session/spellersession.h"

namespace zabrel::guard {

// Says what the user was doing when the engine failed, naming the file where there
// is one; the engine's message follows it.
struct Context {
    std::string sentence;
    std::string file;
};
using Describe = std::function<Context()>;

inline std::string joined(const std::string& sentence, const std::string& file) {
    return file.empty() ? sentence : sentence + " " + file;
}

// Runs `action`, turning every failure into a SessionError with the user's message.
// The engine's errors keep their message, after a sentence of ours; where in our
// source they were raised is of no use to a user and is left out. The personal list's
// errors are sentences for the user already (`describe` empty).
template <typename Action>
auto guarded(Action action, const Describe& describe) -> decltype(action()) {
    try {
        return action();
    } catch (const SessionError&) {
        throw;
    } catch (const QuelmException& ex) {
        if (!describe)
            throw SessionError(ex.getMessage());
        const Context context = describe();
        throw SessionError(joined(context.sentence, context.file), context.file, ex.getMessage());
    } catch (const std::exception&) {
        throw SessionError(currentFailure());
    }
}

inline Describe saying(std::string sentence, std::string file = {}) {
    return [sentence = std::move(sentence), file = std::move(file)] { return Context{sentence, file}; };
}

inline const std::string COST_TABLE = "the accurate ranking's cost table could not be read";
inline const std::string WHILE_CHECKING = "the dictionary could not be read while checking a word";

}  // namespace zabrel::guard
