#pragma once
// A field that holds a command bar's event source, as a WithEvents field does: while the field
// holds a source, the source's clicks reach the field's handler; a source that was replaced or
// released, or that outlives the field, reaches it no more.

#include <memory>
#include <utility>

#include "model/Office.h"

namespace brindle {

class EventSourceField {
public:
    using Handler = CommandBarEvents::ClickHandler;

    EventSourceField() = default;
    EventSourceField(const EventSourceField&) = delete;
    EventSourceField& operator=(const EventSourceField&) = delete;

    // The handler the clicks of the sources held from now on reach.
    void SetHandler(Handler handler) { handler_ = std::move(handler); }

    EventSourceField& operator=(std::shared_ptr<CommandBarEvents> source) {
        binding_ = std::make_shared<Handler>(handler_);
        if (source) {
            source->OnClick([weak = std::weak_ptr<Handler>(binding_)](
                                CommandBarControl& control, bool& handled, bool& cancelDefault) {
                if (auto handler = weak.lock()) {
                    (*handler)(control, handled, cancelDefault);
                }
            });
        }
        source_ = std::move(source);
        return *this;
    }

    const std::shared_ptr<CommandBarEvents>& get() const { return source_; }
    CommandBarEvents* operator->() const { return source_.get(); }
    explicit operator bool() const { return source_ != nullptr; }

private:
    Handler handler_;
    std::shared_ptr<Handler> binding_;
    std::shared_ptr<CommandBarEvents> source_;
};

}  // namespace brindle
