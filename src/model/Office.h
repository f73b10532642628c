#pragma once
// Command bars, their controls and click events, and the add-in list, as the host offers them.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brindle {

enum MsoControlType : std::int32_t { msoControlButton = 1 };

class CommandBarControl {
public:
    virtual ~CommandBarControl() = default;
    virtual std::string Caption() const = 0;
    virtual void SetCaption(std::string_view caption) = 0;
    virtual bool BeginGroup() const = 0;
    virtual void SetBeginGroup(bool beginGroup) = 0;
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;
};

class CommandBarControls {
public:
    virtual ~CommandBarControls() = default;
    virtual std::int32_t Count() const = 0;
    virtual std::shared_ptr<CommandBarControl> Item(std::int32_t index) = 0;  // 1-based
    // At the end unless `before` (1-based) is given; a temporary control goes when the host
    // closes.
    virtual std::shared_ptr<CommandBarControl> Add(MsoControlType type,
                                                   std::optional<std::int32_t> id,
                                                   std::optional<std::string> parameter,
                                                   std::optional<std::int32_t> before,
                                                   bool temporary) = 0;
};

class CommandBar {
public:
    virtual ~CommandBar() = default;
    virtual std::string Name() const = 0;
    virtual CommandBarControls& Controls() = 0;
};

class CommandBars {
public:
    virtual ~CommandBars() = default;
    // Null when the host has no bar of that name.
    virtual CommandBar* Item(std::string_view name) = 0;
};

// The event source of one control. Its Click carries the control and the two by-reference
// flags. The host delivers clicks for as long as the source object lives.
class CommandBarEvents {
public:
    using ClickHandler =
        std::function<void(CommandBarControl& control, bool& handled, bool& cancelDefault)>;
    virtual ~CommandBarEvents() = default;
    virtual void OnClick(ClickHandler handler) = 0;
};

class Events {
public:
    virtual ~Events() = default;
    virtual std::shared_ptr<brindle::CommandBarEvents> CommandBarEvents(
        CommandBarControl& control) = 0;
};

class AddIn {
public:
    virtual ~AddIn() = default;
    virtual std::string Description() const = 0;
    virtual bool Connect() const = 0;
    // False disconnects the add-in (through its OnDisconnection) once the list is updated.
    virtual void SetConnect(bool connect) = 0;
};

class Addins {
public:
    virtual ~Addins() = default;
    // By description; an unknown name raises 9.
    virtual AddIn& Item(std::string_view name) = 0;
    // Makes the host act on changes of Connect.
    virtual void Update() = 0;
};

}  // namespace brindle
