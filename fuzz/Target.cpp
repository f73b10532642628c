// One libFuzzer target for each property, chosen when built (BRINDLE_FUZZ_TARGET). A broken
// property escapes as an exception, which ends the run as a crash with its message.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "checks/Properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const brindle::fuzz::Target* target = brindle::fuzz::FindTarget(BRINDLE_FUZZ_TARGET);
    target->check(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
