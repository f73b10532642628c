#pragma once
// The add-in's modal message box in Qt.

#include <QMessageBox>
#include <cstdint>
#include <memory>
#include <string_view>

#include "addin/AddinWindows.h"

namespace brindle::ui::qt {

// A message box as the button-and-icon value describes it: its buttons in their order, its
// icon, its default button (the first unless the value names another) and its Escape button
// (Cancel, else No, else a lone OK). Line breaks of the prompt may be CR LF, CR or LF.
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* owner, std::string_view prompt,
                                            std::int32_t buttons, std::string_view title);

// The answer of a box that has closed: the button clicked, or Escape's when none was.
VbMsgBoxResult AnswerOf(const QMessageBox& box);

}  // namespace brindle::ui::qt
