#pragma once
// A project whose components come one at a time from a source that holds only the few near the
// one in hand, as the command line streams a project's modules past the add-in.

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/Vbide.h"

namespace brindle::host {

// What a streamed project's components come from.
class ComponentSource {
public:
    virtual ~ComponentSource() = default;
    // The component at `index` (from 0), or null for one that is gone already; it may raise a
    // failure of its own instead.
    virtual VBComponent* Reach(std::size_t index) = 0;

protected:
    ComponentSource() = default;
    ComponentSource(const ComponentSource&) = default;
    ComponentSource& operator=(const ComponentSource&) = default;
};

// A project whose components are the source's from `first` on: each is reached once, in order,
// as the add-in's project commands walk them.
class StreamedProject final : public VBProject {
public:
    StreamedProject(std::string name, ComponentSource& source, std::size_t first,
                    std::size_t count);

    std::string Name() const override { return name_; }
    brindle::VBComponents& VBComponents() override { return components_; }

private:
    class Components final : public brindle::VBComponents {
    public:
        Components(ComponentSource& source, std::size_t first, std::size_t count)
            : source_(source), first_(first), count_(count) {}
        std::int32_t Count() const override { return static_cast<std::int32_t>(count_); }
        // An index out of range raises 9; a component passed already raises 5.
        VBComponent& Item(std::int32_t index) override;

    private:
        ComponentSource& source_;
        std::size_t first_;
        std::size_t count_;
    };
    std::string name_;
    Components components_;
};

}  // namespace brindle::host
