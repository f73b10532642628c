#pragma once
// The lines of a code module, kept in blocks so that inserting or deleting a few lines in a
// module of tens of thousands costs little, while reading a line by number stays cheap: a
// Fenwick tree over the blocks' sizes finds a line's block, and follows an edit, in a number
// of steps that grows with the logarithm of the number of blocks.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "host/ide/SourceLine.h"

namespace brindle::host {

class LineStore {
public:
    LineStore() = default;
    explicit LineStore(std::vector<CodeLine> lines);

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // 0-based.
    const CodeLine& operator[](std::size_t index) const;
    CodeLine& operator[](std::size_t index);

    // The first line at or after `index` whose byte set holds every byte of `wanted`, or size().
    std::size_t NextHolding(std::size_t index, std::uint64_t wanted) const;

    // Puts `lines` before the line at `index` (at the end when `index` is size()).
    void Insert(std::size_t index, std::vector<CodeLine> lines);
    void Erase(std::size_t index, std::size_t count);

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = CodeLine;
        using difference_type = std::ptrdiff_t;
        using pointer = const CodeLine*;
        using reference = const CodeLine&;

        const_iterator() = default;
        reference operator*() const { return (*blocks_)[block_][line_]; }
        pointer operator->() const { return &**this; }
        const_iterator& operator++() {
            if (++line_ == (*blocks_)[block_].size()) {
                ++block_;
                line_ = 0;
            }
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const const_iterator& other) const {
            return block_ == other.block_ && line_ == other.line_;
        }

    private:
        friend class LineStore;
        const_iterator(const std::vector<std::vector<CodeLine>>* blocks, std::size_t block,
                       std::size_t line = 0)
            : blocks_(blocks), block_(block), line_(line) {}
        const std::vector<std::vector<CodeLine>>* blocks_ = nullptr;
        std::size_t block_ = 0;
        std::size_t line_ = 0;
    };

    const_iterator begin() const { return {&blocks_, 0}; }
    // At the line `index` (0-based, below size()).
    const_iterator At(std::size_t index) const;
    const_iterator end() const { return {&blocks_, blocks_.size()}; }

private:
    // The block that holds line `index`, and the index within it.
    std::pair<std::size_t, std::size_t> Locate(std::size_t index) const;
    void Split(std::size_t block);
    void Resized(std::size_t block, std::ptrdiff_t by);
    void RebuildTree();

    std::vector<std::vector<CodeLine>> blocks_;  // none empty
    std::vector<std::size_t> tree_;  // Fenwick tree of the blocks' sizes, 1-based: tree_[0] unused
    std::size_t size_ = 0;
    // The leading blocks that hold kBlockLines lines each, as loading leaves them: a line
    // among them is found by division. An edit makes its block and those after it count no more.
    std::size_t fullBlocks_ = 0;
};

}  // namespace brindle::host
