// SPDX-License-Identifier: GPL-3.0-or-later
// The X server's pointer devices over xcb-xinput, on a real server (Xvfb).
// Its one pointer device is XTest's, without the libinput driver's
// properties, so the pointer settings are not given to it; the requests
// themselves are tried on the device properties it has: a float matrix and
// the byte that enables it.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/pointer_settings_x11.h"

namespace hm {
namespace {

constexpr char kMatrix[] = "Coordinate Transformation Matrix";
constexpr char kEnabled[] = "Device Enabled";

TEST(XInputDevices, XvfbsPointerIsReadAndChangedButTakesNoPointerSettings) {
  const std::unique_ptr<XInputDevices> x = connectXInput();
  ASSERT_TRUE(x) << "no X server with XInput 2";
  const Result<std::vector<XInputDevices::Device>> pointers = x->pointers();
  ASSERT_TRUE(pointers.ok());
  const auto xtest =
      std::find_if(pointers.value().begin(), pointers.value().end(),
                   [](const XInputDevices::Device& d) { return d.name == "Virtual core XTEST pointer"; });
  ASSERT_NE(xtest, pointers.value().end());
  const auto& props = xtest->properties;
  EXPECT_NE(std::find(props.begin(), props.end(), kMatrix), props.end());
  EXPECT_FALSE(X11PointerSettings::servesAny(*x));

  const Result<std::vector<float>> identity = x->floats(xtest->id, kMatrix);
  ASSERT_TRUE(identity.ok()) << identity.error().text();
  ASSERT_EQ(identity.value(), (std::vector<float>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
  std::vector<float> scaled = identity.value();
  scaled[0] = 0.5F;
  ASSERT_TRUE(x->setFloats(xtest->id, kMatrix, scaled).ok());
  EXPECT_EQ(x->floats(xtest->id, kMatrix).value(), scaled);
  ASSERT_TRUE(x->setFloats(xtest->id, kMatrix, identity.value()).ok());

  EXPECT_EQ(x->bytes(xtest->id, kEnabled).value(), std::vector<std::uint8_t>{1});
  EXPECT_TRUE(x->setBytes(xtest->id, kEnabled, {1}).ok());
  // The server refuses a value of the wrong length; a property read as the
  // wrong type, or one the device lacks, is an error too.
  EXPECT_FALSE(x->setFloats(xtest->id, kMatrix, {1.0F}).ok());
  EXPECT_EQ(x->floats(xtest->id, kEnabled).error().code, EPROTO);
  EXPECT_EQ(x->floats(xtest->id, X11PointerSettings::kSpeedProperty).error().code, ENOENT);
}

}  // namespace
}  // namespace hm
