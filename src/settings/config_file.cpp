#include "settings/config_file.h"

namespace hm {

bool loadConfigFile(const std::string&, MouseConfig& config, std::uint8_t& firstRunFlag,
                    MessageSink&, const ConfigLog&) {
  config.clear();
  firstRunFlag = 0;
  return false;
}
bool saveConfigFile(const std::string&, const MouseConfig&, MessageSink&, const ConfigLog&) {
  return false;
}
bool writeConfigImage(const std::string&, std::uint8_t, const MouseConfig&) { return false; }
MouseConfig factoryConfig() {
  MouseConfig c;
  c.clear();
  return c;
}

}  // namespace hm
