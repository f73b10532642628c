#pragma once
// The automation objects of the double, one per object type of the IDE's model. Each returns a
// new reference over an object of our in-memory IDE, which must outlive it.

#include <cstddef>
#include <memory>

#include "host/com/double/Dispatch.h"
#include "model/Office.h"
#include "model/Vbide.h"

namespace brindle::test::automation {

IDispatch* NewVbe(const std::shared_ptr<State>& state);
IDispatch* NewProject(const std::shared_ptr<State>& state, VBProject& project);
IDispatch* NewCodeModule(const std::shared_ptr<State>& state, CodeModule& module);
IDispatch* NewCodePane(const std::shared_ptr<State>& state, CodePane& pane);
IDispatch* NewWindows(const std::shared_ptr<State>& state);

IDispatch* NewCommandBars(const std::shared_ptr<State>& state);
IDispatch* NewEvents(const std::shared_ptr<State>& state);
IDispatch* NewAddins(const std::shared_ptr<State>& state);
// The add-in list's entry at `index` (0-based) of the state's entries.
IDispatch* NewAddIn(const std::shared_ptr<State>& state, std::size_t index);

}  // namespace brindle::test::automation
