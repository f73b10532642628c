#include "host/ide/MemoryProject.h"

#include <algorithm>
#include <utility>

#include "model/VbError.h"
#include "util/Text.h"

namespace brindle::host {

std::vector<CodeLine> CodeLinesFromText(std::string_view code) {
    std::vector<CodeLine> lines;
    ForEachLine(code, [&lines](std::string_view piece, LineBreak lineBreak) {
        lines.push_back({piece, lineBreak, nullptr, ByteSet(piece)});
    });
    return lines;
}

std::string VisibleText(CodeModule& module) {
    std::string text;
    std::int32_t count = module.CountOfLines();
    for (std::int32_t line = 1; line <= count; ++line) {
        text += module.Lines(line, 1);
        text += "\r\n";
    }
    return text;
}

// --- MemoryComponent ---

MemoryComponent::MemoryComponent(std::string name, vbext_ComponentType type,
                                 std::optional<std::vector<CodeLine>> code, FileLayout layout)
    : name_(std::move(name)), type_(type), layout_(std::move(layout)) {
    if (code) {
        code_ = std::make_unique<MemoryCodeModule>(*this, codePage_, std::move(*code));
    }
}

brindle::CodeModule& MemoryComponent::CodeModule() {
    if (!code_) {
        Raise(Err::ObjectNotSet, "VBIDE.VBComponent.CodeModule");
    }
    return *code_;
}

void MemoryComponent::SetCodePage(int codePage) {
    codePage_ = codePage;
    if (code_) {
        code_->Rescan();
    }
}

bool MemoryComponent::Modified() const {
    return code_ && code_->Version() != savedVersion_;
}

// --- MemoryComponents ---

std::int32_t MemoryComponents::Count() const {
    return static_cast<std::int32_t>(components_.size());
}

VBComponent& MemoryComponents::Item(std::int32_t index) {
    if (index < 1 || static_cast<std::size_t>(index) > components_.size()) {
        Raise(Err::SubscriptOutOfRange, "VBIDE.VBComponents.Item");
    }
    return *components_[static_cast<std::size_t>(index) - 1];
}

MemoryComponent& MemoryComponents::Add(std::unique_ptr<MemoryComponent> component) {
    components_.push_back(std::move(component));
    return *components_.back();
}

MemoryComponent* MemoryComponents::Find(std::string_view name) {
    for (auto& component : components_) {
        if (EqualsNoCase(component->Name(), name)) {
            return component.get();
        }
    }
    return nullptr;
}

// --- MemoryProject ---

MemoryProject::MemoryProject(std::string name) : name_(std::move(name)) {}

MemoryComponent& MemoryProject::AddComponent(std::string name, vbext_ComponentType type,
                                             std::string_view code) {
    return Add(std::make_unique<MemoryComponent>(std::move(name), type, CodeLinesFromText(code)));
}

MemoryComponent& MemoryProject::AddComponentWithoutCode(std::string name,
                                                        vbext_ComponentType type) {
    return Add(std::make_unique<MemoryComponent>(std::move(name), type, std::nullopt));
}

MemoryComponent& MemoryProject::Add(std::unique_ptr<MemoryComponent> component) {
    return components_.Add(std::move(component));
}

}  // namespace brindle::host
