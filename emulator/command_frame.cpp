#include "emulator/command_frame.h"

#include "protocol/checksum.h"

namespace nimbel::emulator {
namespace {

bool CarriesCrc(const CommandFrame& frame, Path path) {
  return path == Path::Receiver &&
         frame[kCommandByte] == static_cast<std::uint8_t>(Command::StreamLightFrame);
}

std::uint16_t StoredChecksum(const CommandFrame& frame) {
  return ReadLe16(frame, kChecksumLowByte);
}

}  // namespace

std::optional<Status> CheckFraming(const CommandFrame& request, Path path) {
  if (CarriesCrc(request, path)) {
    if (LightFrameCrc(request) != StoredChecksum(request)) return Status::OutOfRange;
    return std::nullopt;
  }
  std::uint16_t sum = CommandSum(request);
  if (path == Path::Receiver) {
    if (request[kReceiverMarkerByte] != kReceiverMarker) return Status::Rejected;
    sum = static_cast<std::uint16_t>(sum - kReceiverMarker);
  }
  if (sum != StoredChecksum(request)) return Status::Rejected;
  return std::nullopt;
}

void SealReply(CommandFrame& reply, Path path) {
  WriteLe16(reply, kChecksumLowByte, CarriesCrc(reply, path) ? LightFrameCrc(reply) : CommandSum(reply));
}

}  // namespace nimbel::emulator
