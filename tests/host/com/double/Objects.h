#pragma once
// The automation objects of the double, one per object type of the IDE's model. Each returns a
// new reference over an object of our in-memory IDE, which must outlive it.

#include <cstddef>

#include "host/com/double/Dispatch.h"
#include "model/Office.h"
#include "model/Vbide.h"

namespace brindle::test::automation {

IDispatch* NewVbe(const StatePtr& s);
IDispatch* NewProject(const StatePtr& s, VBProject* project);
IDispatch* NewCodeModule(const StatePtr& s, CodeModule* module);
IDispatch* NewCodePane(const StatePtr& s, CodePane* pane);
IDispatch* NewWindows(const StatePtr& s);

IDispatch* NewCommandBars(const StatePtr& s);
IDispatch* NewEvents(const StatePtr& s);
IDispatch* NewAddins(const StatePtr& s);
// The add-in list's entry at `index` (0-based) of the state's entries.
IDispatch* NewAddIn(const StatePtr& s, std::size_t index);

}  // namespace brindle::test::automation
