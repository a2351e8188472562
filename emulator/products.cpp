#include "emulator/products.h"

#include <array>

#include "emulator/report_descriptors.h"

namespace nimbel::emulator {
namespace {

constexpr std::uint16_t kMouseCableProductId = 0x226E;
constexpr std::uint16_t kMouseReceiverProductId = 0x22B5;
constexpr std::uint16_t kMouse2ReceiverProductId = 0x2260;

InterfaceLayout Plain(std::uint8_t number, std::vector<std::uint8_t> descriptor) {
  return {number, std::move(descriptor), false};
}

template <std::size_t N>
InterfaceLayout Commands(std::uint8_t number, const std::array<std::vector<std::uint8_t>, N>& collections) {
  return {number, JoinCollections(collections), true};
}

}  // namespace

// The collection order fixes the &colNN numbers the host looks for: on the cable product the command
// collection is col02 and the notification col03 of interface 1; on its receiver col04 and col03 of
// interface 1; on the second mouse's receiver col05 and col04 of interface 0.
ProductLayout LayoutOf(Product product, std::uint16_t deviceVersion) {
  switch (product) {
    case Product::MouseCable:
      return {{kVendorId, kMouseCableProductId, deviceVersion},
              Path::Cable,
              {Plain(0, UnnumberedMouseCollection()),
               Commands<3>(1, {KeyboardCollection(), CommandCollection(), NotificationCollection()})}};
    case Product::MouseReceiver:
      return {{kVendorId, kMouseReceiverProductId, deviceVersion},
              Path::Receiver,
              {Plain(0, UnnumberedMouseCollection()),
               Commands<4>(1, {KeyboardCollection(), SystemControlCollection(), NotificationCollection(),
                               CommandCollection()})}};
    case Product::Mouse2Receiver:
      return {{kVendorId, kMouse2ReceiverProductId, deviceVersion},
              Path::Receiver,
              {Commands<5>(0, {MouseCollection(), KeyboardCollection(), SystemControlCollection(),
                               NotificationCollection(), CommandCollection()})}};
  }
  return {};
}

}  // namespace nimbel::emulator
