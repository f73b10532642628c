// Implementation pending.
namespace brindle {}
