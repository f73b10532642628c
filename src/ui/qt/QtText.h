#pragma once
// Our text is UTF-8 in standard strings; Qt's is QString.

#include <QString>
#include <string>
#include <string_view>

namespace brindle::ui::qt {

inline QString ToQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string ToUtf8(const QString& text) {
    return text.toUtf8().toStdString();
}

}  // namespace brindle::ui::qt
