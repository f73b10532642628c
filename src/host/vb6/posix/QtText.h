#pragma once
// The host's UTF-8 text as QString, for the posix seams built on Qt Core. The Qt windows have
// their own (ui/qt/QtText.h), as they may not include the host.

#include <QString>
#include <string_view>

namespace brindle::host {

inline QString ToQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace brindle::host
