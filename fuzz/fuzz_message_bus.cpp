// Input: what another program sends over the session bus. Byte 0 picks a registration string the
// program knows (below 25) or takes the bytes after the two parameters as the name; then wParam and lParam
// (8 bytes each, little-endian); the rest is also a CopyData block. The calls reach the main window of a
// running demo-mode Nimbel exactly as the bus delivers them.

#include <QApplication>
#include <QByteArray>
#include <QDBusConnection>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/application.h"
#include "app/command_line.h"
#include "app/main_wnd.h"
#include "fuzz/fuzz_support.h"
#include "platform/message_bus.h"
#include "platform/registered_messages.h"
#include "ui/message_window.h"

namespace nimbel {
namespace {

constexpr std::size_t kKnownNameCount = 25;
constexpr std::size_t kParameterBytes = 8;

using fuzz::Check;

std::int64_t Le64(const std::uint8_t* bytes) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < kParameterBytes; ++i) value |= std::uint64_t{bytes[i]} << (8 * i);
  return static_cast<std::int64_t>(value);
}

// One demo-mode Nimbel for the process, without a session bus, its user files in a folder of its own.
class RunningNimbel {
 public:
  RunningNimbel() {
    root_ = fuzz::MakeScratchFolder();
    std::filesystem::create_directories(root_ / "runtime");
    std::filesystem::permissions(root_ / "runtime", std::filesystem::perms::owner_all);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("NIMBEL_SKIN_DIR", NIMBEL_SOURCE_DIR "/skin");
    qputenv("NIMBEL_DEFAULT_DATA", NIMBEL_SOURCE_DIR "/DefaultData");
    for (const char* variable : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME"})
      qputenv(variable, QByteArray::fromStdString((root_ / variable).string()));
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString((root_ / "runtime").string()));
    application_ = std::make_unique<QApplication>(argc_, argv_);
    CommandLine line;
    line.demo = true;
    line.demoProducts = {{DemoProduct::MouseCable, {}}};
    const QDBusConnection noBus(QStringLiteral("nimbel-fuzz-no-bus"));
    nimbel_ = std::make_unique<Application>(line, noBus, noBus);
    Check(!nimbel_->Start().has_value());
    bus_ = std::make_unique<MessageBus>(noBus);
    CMainWnd* window = nimbel_->Window();
    bus_->SetMessageHandler([window](std::uint32_t id, const QString&, qint64 wParam, qint64 lParam) {
      PostMessage(window, id, static_cast<std::intptr_t>(wParam), static_cast<std::intptr_t>(lParam));
    });
  }

  MessageBus& Bus() { return *bus_; }

 private:
  std::filesystem::path root_;
  int argc_ = 1;
  char name_[7] = "nimbel";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
  std::unique_ptr<Application> nimbel_;
  std::unique_ptr<MessageBus> bus_;
};

}  // namespace
}  // namespace nimbel

// fontconfig keeps its caches until exit by design; the leak check is for our code.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace nimbel;
  if (size < 1 + 2 * kParameterBytes) return 0;
  static RunningNimbel nimbel;
  const std::int64_t wParam = Le64(data + 1);
  const std::int64_t lParam = Le64(data + 1 + kParameterBytes);
  const QByteArray rest(reinterpret_cast<const char*>(data + 1 + 2 * kParameterBytes),
                        static_cast<qsizetype>(size - 1 - 2 * kParameterBytes));
  QString name = QString::fromUtf8(rest);
  if (data[0] < kKnownNameCount) {
    const std::optional<std::string> known = RegisteredMessageName(kFirstRegisteredMessage + data[0]);
    Check(known.has_value());
    name = QString::fromStdString(*known);
  }
  nimbel.Bus().PostMessage(name, wParam, lParam);
  nimbel.Bus().CopyData(static_cast<qulonglong>(wParam), rest);
  QCoreApplication::processEvents();
  return 0;
}
