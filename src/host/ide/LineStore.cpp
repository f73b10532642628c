#include "host/ide/LineStore.h"

#include <algorithm>
#include <bit>
#include <iterator>
#include <utility>

namespace brindle::host {

namespace {

constexpr std::size_t kBlockLines = 64;

}  // namespace

// Cut straight into blocks, each line moved once.
LineStore::LineStore(std::vector<CodeLine> lines)
    : size_(lines.size()), fullBlocks_(lines.size() / kBlockLines) {
    blocks_.reserve((lines.size() + kBlockLines - 1) / kBlockLines);
    for (std::size_t from = 0; from < lines.size(); from += kBlockLines) {
        const auto first = lines.begin() + static_cast<std::ptrdiff_t>(from);
        const auto last =
            lines.begin() + static_cast<std::ptrdiff_t>(std::min(lines.size(), from + kBlockLines));
        blocks_.emplace_back(std::make_move_iterator(first), std::make_move_iterator(last));
    }
    RebuildTree();
}

const CodeLine& LineStore::operator[](std::size_t index) const {
    auto [block, line] = Locate(index);
    return blocks_[block][line];
}

CodeLine& LineStore::operator[](std::size_t index) {
    auto [block, line] = Locate(index);
    return blocks_[block][line];
}

LineStore::const_iterator LineStore::At(std::size_t index) const {
    auto [block, line] = Locate(index);
    return {&blocks_, block, line};
}

// Descends the tree to the last block whose lines all lie before `index`.
std::pair<std::size_t, std::size_t> LineStore::Locate(std::size_t index) const {
    if (index / kBlockLines < fullBlocks_) {
        return {index / kBlockLines, index % kBlockLines};
    }
    std::size_t block = 0;  // 1-based node: blocks before it hold fewer than index + 1 lines
    std::size_t before = index;
    std::size_t step = std::bit_floor(blocks_.size());
    for (; step > 0; step /= 2) {
        const std::size_t next = block + step;
        if (next <= blocks_.size() && tree_[next] <= before) {
            block = next;
            before -= tree_[next];
        }
    }
    return {block, before};
}

// A loop over each block's lines, for a search that passes over most of them.
std::size_t LineStore::NextHolding(std::size_t index, std::uint64_t wanted) const {
    if (index >= size_) {
        return size_;
    }
    auto [block, at] = Locate(index);
    for (; block < blocks_.size(); ++block, at = 0) {
        const auto& lines = blocks_[block];
        for (; at < lines.size(); ++at, ++index) {
            if ((lines[at].bytes & wanted) == wanted) {
                return index;
            }
        }
    }
    return size_;
}

void LineStore::Insert(std::size_t index, std::vector<CodeLine> lines) {
    if (lines.empty()) {
        return;
    }
    std::size_t block = 0;
    std::size_t at = 0;
    if (blocks_.empty()) {
        blocks_.emplace_back();
        RebuildTree();
    } else if (index == size_) {
        block = blocks_.size() - 1;
        at = blocks_[block].size();
    } else {
        std::tie(block, at) = Locate(index);
    }
    fullBlocks_ = std::min(fullBlocks_, block);
    auto& target = blocks_[block];
    target.insert(target.begin() + static_cast<std::ptrdiff_t>(at),
                  std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
    size_ += lines.size();
    if (target.size() > 2 * kBlockLines) {
        Split(block);
    } else {
        Resized(block, static_cast<std::ptrdiff_t>(lines.size()));
    }
}

void LineStore::Erase(std::size_t index, std::size_t count) {
    while (count > 0) {
        auto [block, at] = Locate(index);
        fullBlocks_ = std::min(fullBlocks_, block);
        auto& lines = blocks_[block];
        std::size_t n = std::min(count, lines.size() - at);
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at),
                    lines.begin() + static_cast<std::ptrdiff_t>(at + n));
        size_ -= n;
        count -= n;
        if (lines.empty()) {
            blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(block));
            RebuildTree();
        } else {
            Resized(block, -static_cast<std::ptrdiff_t>(n));
        }
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
    RebuildTree();
}

void LineStore::Resized(std::size_t block, std::ptrdiff_t by) {
    for (std::size_t node = block + 1; node <= blocks_.size(); node += node & (~node + 1)) {
        tree_[node] = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(tree_[node]) + by);
    }
}

void LineStore::RebuildTree() {
    tree_.assign(blocks_.size() + 1, 0);
    for (std::size_t node = 1; node <= blocks_.size(); ++node) {
        tree_[node] += blocks_[node - 1].size();
        const std::size_t parent = node + (node & (~node + 1));
        if (parent <= blocks_.size()) {
            tree_[parent] += tree_[node];
        }
    }
}

}  // namespace brindle::host
