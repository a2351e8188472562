#include <gtest/gtest.h>

#include "hid/hid_device.h"

namespace nimbel {
namespace {

TEST(ParsePathNumberTest, ReadsTheHexNumberAfterTheMarker) {
  constexpr auto kWindowsPath =
      "\\\\?\\hid#vid_320f&pid_226e&mi_01&col02#7&2a3b4c5d&0&0001#{4d1e55b2-f16f-11cf-88cb-001111000030}";
  const struct {
    const char* path;
    const char* marker;
    std::uint16_t expected;
  } cases[] = {
      {kWindowsPath, "vid_", 0x320F},
      {kWindowsPath, "pid_", 0x226E},
      {kWindowsPath, "&mi_", 0x01},
      {kWindowsPath, "&col", 0x02},
      {"\\\\?\\HID#VID_320f&PID_226E", "vid_", 0x320F},              // marker in another case
      {"\\\\?\\hid#vid_320F&pid_226e", "VID_", 0x320F},              // digits in another case
      {"/dev/hidraw3#vid_320f&pid_226e", "&mi_", 0},                 // marker absent
      {"/dev/hidraw3#vid_320f&pid_226e", "&col", 0},                 // marker absent
      {"/dev/hidraw3#vid_320f&pid_226e&mi_01&col0a", "&col", 0x0A},  // stops at the end
      {"/dev/hidraw3#vid_320f&pid_226e&mi_1f#x", "&mi_", 0x1F},      // stops at '#'
      {"x#vid_&pid_1", "vid_", 0},                                   // no digits
      {"x#vid_12345&pid_1", "vid_", 0x2345},                         // longer numbers keep their low 16 bits
      {"x#emi_05&mi_01", "&mi_", 0x01},                              // the '&' belongs to the marker
      {"x&col01&col02", "&col", 0x01},                               // the first occurrence counts
      {"x#vid_32g0", "vid_", 0x32},                                  // stops at a non-hex letter
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParsePathNumber(c.path, c.marker), c.expected) << c.path << " " << c.marker;
  }
}

}  // namespace
}  // namespace nimbel
