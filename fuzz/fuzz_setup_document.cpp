// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary text as a setup document (hidmousectl import): reading must not
// crash, and a document that is accepted must write out as a document that is
// accepted again and writes out the same bytes, so export after import is
// stable whatever was imported.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/config_text/setup_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const hm::SetupRead read = hm::setupFromJson(text);
  if (!read.setup) {
    if (read.errors.empty()) std::abort();  // a refusal always says why
    return 0;
  }
  if (!read.errors.empty()) std::abort();
  const std::string written = hm::setupToJson(*read.setup);
  const hm::SetupRead again = hm::setupFromJson(written);
  if (!again.setup) std::abort();
  if (hm::setupToJson(*again.setup) != written) std::abort();
  return 0;
}
