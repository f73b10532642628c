#include "host/ide/StreamedProject.h"

#include <utility>

#include "model/VbError.h"

namespace brindle::host {

StreamedProject::StreamedProject(std::string name, ComponentSource& source, std::size_t first,
                                 std::size_t count)
    : name_(std::move(name)), components_(source, first, count) {}

VBComponent& StreamedProject::Components::Item(std::int32_t index) {
    if (index < 1 || static_cast<std::size_t>(index) > count_) {
        Raise(Err::SubscriptOutOfRange, "VBIDE.VBComponents.Item");
    }
    auto* component = source_.Reach(first_ + static_cast<std::size_t>(index) - 1);
    if (component == nullptr) {
        Raise(Err::InvalidCall, "VBIDE.VBComponents.Item");
    }
    return *component;
}

}  // namespace brindle::host
