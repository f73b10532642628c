// The block store behind a module's lines, against a plain vector doing the same edits.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "host/ide/LineStore.h"

namespace brindle::host {
namespace {

std::vector<CodeLine> Lines(int first, std::size_t count) {
    std::vector<CodeLine> lines;
    for (std::size_t i = 0; i < count; ++i) {
        lines.push_back({std::to_string(first + static_cast<int>(i)), LineBreak::None, nullptr});
    }
    return lines;
}

std::vector<std::string> Texts(const LineStore& store) {
    std::vector<std::string> texts;
    for (const CodeLine& line : store) {
        texts.push_back(line.text.str());
    }
    return texts;
}

TEST(LineStore, EditsAcrossBlocksKeepOrderAndIndexes) {
    LineStore store(Lines(0, 1500));
    std::vector<std::string> model = Texts(store);
    std::mt19937 random(11);
    int next = 100000;
    for (int step = 0; step < 2000; ++step) {
        auto pick = [&](std::size_t n) {
            return std::uniform_int_distribution<std::size_t>(0, n)(random);
        };
        std::size_t at = pick(model.size());
        if (step % 3 == 0 && !model.empty()) {
            at = std::min(at, model.size() - 1);
            std::size_t count = std::min(pick(700) + 1, model.size() - at);
            store.Erase(at, count);
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(at),
                        model.begin() + static_cast<std::ptrdiff_t>(at + count));
        } else {
            std::size_t count = pick(step % 50 == 0 ? 900 : 3) + 1;
            auto added = Lines(next, count);
            for (const CodeLine& line : added) {
                model.insert(model.begin() + static_cast<std::ptrdiff_t>(at++), line.text.str());
            }
            store.Insert(at - count, std::move(added));
            next += static_cast<int>(count);
        }
        ASSERT_EQ(store.size(), model.size());
        if (!model.empty()) {
            std::size_t probe = pick(model.size() - 1);
            ASSERT_EQ(store[probe].text, model[probe]) << "step " << step;
            auto walk = store.At(probe);
            for (std::size_t i = probe; i < std::min(model.size(), probe + 300); ++i, ++walk) {
                ASSERT_EQ(walk->text, model[i]) << "step " << step << ", from " << probe;
            }
        }
    }
    EXPECT_EQ(Texts(store), model);
    store.Erase(0, store.size());
    EXPECT_TRUE(store.empty());
    EXPECT_EQ(store.begin(), store.end());
    store.Insert(0, Lines(1, 2));
    EXPECT_EQ(Texts(store), (std::vector<std::string>{"1", "2"}));
}

}  // namespace
}  // namespace brindle::host
