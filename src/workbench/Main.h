#pragma once
// brindle-workbench [PROJECT.vbp | GROUP.vbg | MODULE...]

namespace brindle::workbench {

int Main(int argc, char** argv);

}  // namespace brindle::workbench
