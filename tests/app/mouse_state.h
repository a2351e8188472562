#pragma once

// What lies past the page of a running program's mouse: the emulated mouse's settings record and
// traffic, the profile file as stored, and the mouse's worker coming to rest.

#include <QTest>
#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "devices/mouse_device.h"
#include "devices/mouse_settings.h"
#include "emulator/emulator.h"
#include "profiles/mouse_profile.h"
#include "tests/app/app_fixture.h"

namespace nimbel::test {

// Stage `stage` of the settings record of onboard slot `slot`, as the mouse holds it.
inline DpiStage MouseStageOf(const emulator::EmulatedMouse& mouse, std::size_t slot, int stage) {
  const std::vector<std::uint8_t> block = mouse.SettingsBlock(slot);
  return DpiStage::FromBytes(
      std::span<const std::uint8_t>(block)
          .subspan(settings_byte::kFirstStage + static_cast<std::size_t>(stage) * DpiStage::kSize)
          .first<DpiStage::kSize>());
}

// Whether the mouse was sent any memory write.
inline bool WroteMemory(const emulator::EmulatedMouse& mouse) {
  constexpr std::uint8_t kWriteMemory = 0x06;
  const std::vector<emulator::ReceivedRequest> requests = mouse.Requests();
  return std::any_of(requests.begin(), requests.end(), [](const emulator::ReceivedRequest& request) {
    return request.bytes[3] == kWriteMemory;
  });
}

// The mouse's selected profile as stored on disk.
inline CMouseProfiledata StoredProfileOf(CVelquorMouseDevice& mouse) {
  CMouseProfiledata profile;
  profile.SetEntryIndex(mouse.GetLightTableIndex());
  profile.LoadProfile(mouse.Profile().GetProfilePath());
  return profile;
}

// Lets the mouse's worker finish what the user's action queued and its results reach the page.
inline bool SettledMouse(const CVelquorMouseDevice& mouse) {
  return QTest::qWaitFor([&] { return !mouse.HasDeviceWork(); }, kWaitMs);
}

}  // namespace nimbel::test
