#include "host/ide/LineStore.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace brindle::host {

namespace {

constexpr std::size_t kBlockLines = 256;

}  // namespace

LineStore::LineStore(std::vector<CodeLine> lines) {
    Insert(0, std::move(lines));
}

const CodeLine& LineStore::operator[](std::size_t index) const {
    auto [block, line] = Locate(index);
    return blocks_[block][line];
}

CodeLine& LineStore::operator[](std::size_t index) {
    auto [block, line] = Locate(index);
    return blocks_[block][line];
}

std::pair<std::size_t, std::size_t> LineStore::Locate(std::size_t index) const {
    auto after = std::upper_bound(firsts_.begin(), firsts_.end(), index);
    auto block = static_cast<std::size_t>(after - firsts_.begin()) - 1;
    return {block, index - firsts_[block]};
}

void LineStore::Insert(std::size_t index, std::vector<CodeLine> lines) {
    if (lines.empty()) {
        return;
    }
    std::size_t block = 0;
    std::size_t at = 0;
    if (blocks_.empty()) {
        blocks_.emplace_back();
        firsts_.push_back(0);
    } else if (index == size_) {
        block = blocks_.size() - 1;
        at = blocks_[block].size();
    } else {
        std::tie(block, at) = Locate(index);
    }
    auto& target = blocks_[block];
    target.insert(target.begin() + static_cast<std::ptrdiff_t>(at),
                  std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
    size_ += lines.size();
    if (target.size() > 2 * kBlockLines) {
        Split(block);
    }
    Renumber(block);
}

void LineStore::Erase(std::size_t index, std::size_t count) {
    while (count > 0) {
        auto [block, at] = Locate(index);
        auto& lines = blocks_[block];
        std::size_t n = std::min(count, lines.size() - at);
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at),
                    lines.begin() + static_cast<std::ptrdiff_t>(at + n));
        size_ -= n;
        count -= n;
        if (lines.empty()) {
            blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(block));
            firsts_.erase(firsts_.begin() + static_cast<std::ptrdiff_t>(block));
        }
        Renumber(block);
    }
}

// Cuts an oversized block into blocks of kBlockLines lines.
void LineStore::Split(std::size_t block) {
    std::vector<CodeLine> whole = std::move(blocks_[block]);
    std::vector<std::vector<CodeLine>> parts;
    for (std::size_t from = 0; from < whole.size(); from += kBlockLines) {
        std::size_t to = std::min(whole.size(), from + kBlockLines);
        parts.emplace_back(
            std::make_move_iterator(whole.begin() + static_cast<std::ptrdiff_t>(from)),
            std::make_move_iterator(whole.begin() + static_cast<std::ptrdiff_t>(to)));
    }
    auto position = blocks_.begin() + static_cast<std::ptrdiff_t>(block);
    position = blocks_.erase(position);
    blocks_.insert(position, std::make_move_iterator(parts.begin()),
                   std::make_move_iterator(parts.end()));
    firsts_.resize(blocks_.size());
}

void LineStore::Renumber(std::size_t fromBlock) {
    firsts_.resize(blocks_.size());
    for (std::size_t b = fromBlock; b < blocks_.size(); ++b) {
        firsts_[b] = b == 0 ? 0 : firsts_[b - 1] + blocks_[b - 1].size();
    }
}

LineStore::const_iterator& LineStore::const_iterator::operator++() {
    if (++line_ == (*blocks_)[block_].size()) {
        ++block_;
        line_ = 0;
    }
    return *this;
}

}  // namespace brindle::host
