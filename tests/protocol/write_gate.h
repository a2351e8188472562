#pragma once

// A HID backend in front of another that holds every write until it is released, so that a test can keep
// an exchange in flight (inside the channel, busy, its request not yet on the wire) for as long as it
// needs, and then let it go on.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "hid/hid_backend.h"
#include "platform/event.h"

namespace nimbel::protocol_test {

class WriteGate final : public HidBackend {
 public:
  explicit WriteGate(std::shared_ptr<HidBackend> inner) : inner_(std::move(inner)) {}

  // Writes started from now on wait until Release.
  void Hold() { released_->Reset(); }
  void Release() { released_->Set(); }

  bool EnumeratePaths(std::vector<std::string>& paths) override { return inner_->EnumeratePaths(paths); }
  std::unique_ptr<HidConnection> Open(const std::string& path, const HidOpenMode& mode) override {
    auto connection = inner_->Open(path, mode);
    if (!connection) return nullptr;
    return std::make_unique<GatedConnection>(std::move(connection), released_);
  }
  std::unique_ptr<HidChangeWatch> WatchChanges() override { return inner_->WatchChanges(); }

 private:
  // A failure bound only: every test releases the gate it holds.
  static constexpr int kHoldBoundMs = 10000;

  class GatedConnection final : public HidConnection {
   public:
    GatedConnection(std::unique_ptr<HidConnection> inner, std::shared_ptr<Event> released)
        : inner_(std::move(inner)), released_(std::move(released)) {}
    HidAttributes Attributes() const override { return inner_->Attributes(); }
    std::span<const std::uint8_t> ReportDescriptor() const override { return inner_->ReportDescriptor(); }
    TransferResult Read(std::span<std::uint8_t> buffer, int timeoutMs, AbortEvent& abort,
                        std::size_t& bytesRead) override {
      return inner_->Read(buffer, timeoutMs, abort, bytesRead);
    }
    TransferResult Write(std::span<const std::uint8_t> report, int timeoutMs, AbortEvent& abort,
                         std::size_t& bytesWritten) override {
      if (!released_->Wait(kHoldBoundMs)) return TransferResult::TimedOut;
      return inner_->Write(report, timeoutMs, abort, bytesWritten);
    }

   private:
    std::unique_ptr<HidConnection> inner_;
    std::shared_ptr<Event> released_;
  };

  std::shared_ptr<HidBackend> inner_;
  std::shared_ptr<Event> released_ = std::make_shared<Event>(Event::ResetMode::kManual, true);
};

}  // namespace nimbel::protocol_test
