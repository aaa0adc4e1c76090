// SPDX-License-Identifier: MIT
// A context model file (context.bin), damaged: loaded whole or refused with an
// IOException, and when loaded, asked about every word and its neighbours.
#include <string_view>
#include <vector>

#include "core/errors.h"
#include "engine/contextmodel.h"
#include "fixture.h"

using namespace zabrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    ContextModel model;
    try {
        model.loadBytes(std::string_view(reinterpret_cast<const char*>(data), size), "context.bin");
    } catch (const IOException&) {
        return 0;
    }
    // Every word of the model among the first ones, and a word it lacks.
    std::vector<std::u16string> words = {u"\u0628\u0627\u062A"};
    for (uint32_t i = 0; i < 64; ++i) {
        std::vector<std::u16string> near;
        model.nearWords(words[i % words.size()], near);
        words.insert(words.end(), near.begin(), near.end());
        if (words.size() > 64)
            break;
    }
    ContextRanking ranking(model);
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::u16string& a = words[i];
        const std::u16string& b = words[(i + 1) % words.size()];
        const std::u16string& c = words[(i + 2) % words.size()];
        (void)model.logProbability(a, b, c);
        (void)ranking.fit(Neighbours{b, c, a, b}, a + u" " + c);
    }
    return 0;
}
