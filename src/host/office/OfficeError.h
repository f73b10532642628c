#pragma once
// A part of an Office document that does not read as its format says: the IDE's "Invalid file
// format" (321), with where it went wrong (the stream and the byte offset in it) and why.

#include <cstddef>
#include <string>
#include <string_view>

#include "model/VbError.h"

namespace brindle::host {

class OfficeFileError : public VbError {
public:
    // `where`: the stream (or "compound file" for the file's own structures); `offset`: the
    // byte in it.
    OfficeFileError(std::string where, std::size_t offset, std::string detail);

    const std::string& Where() const noexcept { return where_; }
    std::size_t Offset() const noexcept { return offset_; }
    const std::string& Detail() const noexcept { return detail_; }
    // "<where>, byte <offset>: <detail>".
    std::string Message() const;
    // The message without the place when it is `file` itself, whose name is told already.
    std::string MessageIn(std::string_view file) const;

private:
    std::string where_;
    std::size_t offset_;
    std::string detail_;
};

[[noreturn]] void RaiseBadFormat(std::string_view where, std::size_t offset,
                                 std::string_view detail);

}  // namespace brindle::host
