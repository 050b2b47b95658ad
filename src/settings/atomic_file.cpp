#include "settings/atomic_file.h"

namespace hm {
AtomicWriteResult writeFileAtomically(const std::string&, std::string_view) { return {}; }
}  // namespace hm
