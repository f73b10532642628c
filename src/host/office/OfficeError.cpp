#include "host/office/OfficeError.h"

#include <cstdint>
#include <utility>

namespace brindle::host {

namespace {

constexpr std::int32_t kInvalidFileFormat = 321;

}  // namespace

OfficeFileError::OfficeFileError(std::string where, std::size_t offset, std::string detail)
    : VbError(kInvalidFileFormat, "Invalid file format",
              where + ", byte " + std::to_string(offset) + ": " + detail),
      where_(std::move(where)),
      offset_(offset),
      detail_(std::move(detail)) {}

std::string OfficeFileError::MessageIn(std::string_view file) const {
    return where_ == file ? detail_ : Message();
}

std::string OfficeFileError::Message() const {
    return where_ + ", byte " + std::to_string(offset_) + ": " + detail_;
}

void RaiseBadFormat(std::string_view where, std::size_t offset, std::string_view detail) {
    throw OfficeFileError(std::string(where), offset, std::string(detail));
}

}  // namespace brindle::host
