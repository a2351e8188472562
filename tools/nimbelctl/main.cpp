// nimbelctl: Nimbel's settings from the command line, through the scripting interface on the session
// bus. Exit status 0 on success, 1 when Nimbel is not running or the device is gone, 2 for bad
// arguments (ours or those Nimbel refused); the reason is one line on stderr.

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <functional>
#include <optional>

#include "dbus/api_types.h"
#include "tools/nimbelctl/client.h"

namespace nimbel::ctl {
namespace {

constexpr const char* kUsage =
    "usage: nimbelctl [--json] list\n"
    "       nimbelctl [--json] info DEVICE\n"
    "       nimbelctl [--json] get DEVICE dpi-stages\n"
    "       nimbelctl set DEVICE dpi-stage N DPI | active-stage N | polling-rate HZ\n"
    "       nimbelctl [--json] profile DEVICE list\n"
    "       nimbelctl profile DEVICE select NAME\n"
    "       nimbelctl [--json] watch\n"
    "DEVICE is an id from `nimbelctl list`; stages count from 1.\n";

struct Arguments {
  bool json = false;
  QStringList words;
};

using Outcome = std::optional<Failure>;

Failure BadArguments(const QString& why) {
  return {Exit::kBadArguments, why + QStringLiteral(" (see nimbelctl --help)")};
}

void PrintJson(const QJsonValue& value) {
  const QJsonDocument document =
      value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
  PrintLine(QString::fromUtf8(document.toJson(QJsonDocument::Indented)).trimmed());
}

// A number the command line gives: digits only, and at least `minimum`.
std::optional<uint> Number(const QString& text, uint minimum) {
  bool ok = false;
  const uint value = text.toUInt(&ok);
  if (!ok || value < minimum || text.startsWith(QLatin1Char('+'))) return std::nullopt;
  return value;
}

QString BatteryText(const QVariantMap& properties) {
  const int battery = properties.value(QStringLiteral("BatteryPercentage")).toInt();
  return battery < 0 ? QStringLiteral("-") : QStringLiteral("%1%").arg(battery);
}

Outcome List(Client& client, const Arguments& arguments) {
  Outcome failure;
  const std::optional<QStringList> paths = client.DevicePaths(failure);
  if (!paths) return failure;
  QJsonArray json;
  for (const QString& path : *paths) {
    const std::optional<QVariantMap> properties = client.Properties(path, failure);
    if (!properties) return failure;
    if (arguments.json) {
      json.append(QJsonObject::fromVariantMap(*properties));
      continue;
    }
    PrintLine(QStringLiteral("%1  %2  %3  %4")
                  .arg(IdOfPath(path), properties->value(QStringLiteral("Name")).toString(),
                       properties->value(QStringLiteral("Link")).toString(), BatteryText(*properties)));
  }
  if (arguments.json) PrintJson(json);
  return std::nullopt;
}

// The properties of the device the command names (word 1).
std::optional<QVariantMap> DeviceProperties(Client& client, const Arguments& arguments, Outcome& failure) {
  const std::optional<QString> path = client.FindDevice(arguments.words.at(1), failure);
  if (!path) return std::nullopt;
  return client.Properties(*path, failure);
}

Outcome Info(Client& client, const Arguments& arguments) {
  if (arguments.words.size() != 2) return BadArguments(QStringLiteral("info takes one DEVICE"));
  Outcome failure;
  const std::optional<QVariantMap> properties = DeviceProperties(client, arguments, failure);
  if (!properties) return failure;
  if (arguments.json) {
    PrintJson(QJsonObject::fromVariantMap(*properties));
    return std::nullopt;
  }
  for (auto property = properties->cbegin(); property != properties->cend(); ++property)
    PrintLine(QStringLiteral("%1: %2").arg(property.key(), ValueText(property.value())));
  return std::nullopt;
}

Outcome GetStages(Client& client, const Arguments& arguments) {
  if (arguments.words.size() != 3 || arguments.words.at(2) != QLatin1String("dpi-stages"))
    return BadArguments(QStringLiteral("get takes DEVICE dpi-stages"));
  Outcome failure;
  const std::optional<QVariantMap> properties = DeviceProperties(client, arguments, failure);
  if (!properties) return failure;
  const QVariantList stages = properties->value(QStringLiteral("DpiStages")).toList();
  const uint active = properties->value(QStringLiteral("ActiveStage")).toUInt();
  if (arguments.json) {
    PrintJson(QJsonObject{{QStringLiteral("stages"), QJsonArray::fromVariantList(stages)},
                          {QStringLiteral("active"), static_cast<int>(active) + 1}});
    return std::nullopt;
  }
  for (int i = 0; i < stages.size(); ++i) {
    const QString mark = static_cast<uint>(i) == active ? QStringLiteral("  active") : QString();
    PrintLine(QStringLiteral("%1  %2%3").arg(i + 1).arg(ValueText(stages.at(i)), mark));
  }
  return std::nullopt;
}

// A change: the method and its arguments, from the words after DEVICE.
struct Change {
  QString method;
  QVariantList arguments;
};

std::optional<Change> ParseSet(const QStringList& words, Failure& refusal) {
  const QString what = words.value(2);
  if (what == QLatin1String("dpi-stage") && words.size() == 5) {
    const auto stage = Number(words.at(3), 1);
    const auto dpi = Number(words.at(4), 1);
    if (stage && dpi) return Change{QStringLiteral("SetStageDpi"), {*stage - 1, *dpi}};
    refusal = BadArguments(QStringLiteral("dpi-stage takes a stage number from 1 and a DPI"));
    return std::nullopt;
  }
  if (what == QLatin1String("active-stage") && words.size() == 4) {
    if (const auto stage = Number(words.at(3), 1))
      return Change{QStringLiteral("SetActiveStage"), {*stage - 1}};
    refusal = BadArguments(QStringLiteral("active-stage takes a stage number from 1"));
    return std::nullopt;
  }
  if (what == QLatin1String("polling-rate") && words.size() == 4) {
    if (const auto hz = Number(words.at(3), 1)) return Change{QStringLiteral("SetPollingRate"), {*hz}};
    refusal = BadArguments(QStringLiteral("polling-rate takes a rate in Hz"));
    return std::nullopt;
  }
  refusal =
      BadArguments(QStringLiteral("set takes DEVICE dpi-stage N DPI, active-stage N or polling-rate HZ"));
  return std::nullopt;
}

Outcome Apply(Client& client, const QString& device, const Change& change) {
  Outcome failure;
  const std::optional<QString> path = client.FindDevice(device, failure);
  if (!path || !client.CallDevice(*path, change.method, change.arguments, failure)) return failure;
  return std::nullopt;
}

Outcome Set(Client& client, const Arguments& arguments) {
  Failure refusal{};
  const std::optional<Change> change = ParseSet(arguments.words, refusal);
  if (!change) return refusal;
  return Apply(client, arguments.words.at(1), *change);
}

Outcome Profile(Client& client, const Arguments& arguments) {
  const QString what = arguments.words.value(2);
  if (what == QLatin1String("select") && arguments.words.size() == 4)
    return Apply(client, arguments.words.at(1), {QStringLiteral("SelectProfile"), {arguments.words.at(3)}});
  if (what != QLatin1String("list") || arguments.words.size() != 3)
    return BadArguments(QStringLiteral("profile takes DEVICE list or DEVICE select NAME"));
  Outcome failure;
  const std::optional<QVariantMap> properties = DeviceProperties(client, arguments, failure);
  if (!properties) return failure;
  const QStringList profiles = properties->value(QStringLiteral("Profiles")).toStringList();
  const QString selected = properties->value(QStringLiteral("SelectedProfile")).toString();
  if (arguments.json) {
    PrintJson(QJsonObject{{QStringLiteral("profiles"), QJsonArray::fromStringList(profiles)},
                          {QStringLiteral("selected"), selected}});
    return std::nullopt;
  }
  for (const QString& profile : profiles)
    PrintLine((profile == selected ? QStringLiteral("* ") : QStringLiteral("  ")) + profile);
  return std::nullopt;
}

struct Command {
  const char* name;
  // Words including the command itself: the least a call can have.
  int minimumWords;
  Outcome (*run)(Client& client, const Arguments& arguments);
};

constexpr Command kCommands[] = {
    {"list", 1, &List}, {"info", 2, &Info},       {"get", 2, &GetStages},
    {"set", 3, &Set},   {"profile", 3, &Profile},
};

int Report(const Failure& failure) {
  std::fprintf(stderr, "nimbelctl: %s\n", qPrintable(failure.message));
  return static_cast<int>(failure.status);
}

std::optional<Arguments> Parse(const QStringList& words, Failure& refusal) {
  Arguments arguments;
  for (const QString& word : words) {
    if (word == QLatin1String("--json")) {
      arguments.json = true;
    } else if (word.startsWith(QLatin1String("--")) && arguments.words.isEmpty()) {
      refusal = BadArguments(QStringLiteral("unknown option %1").arg(word));
      return std::nullopt;
    } else {
      arguments.words << word;
    }
  }
  if (arguments.words.isEmpty()) {
    refusal = BadArguments(QStringLiteral("no command"));
    return std::nullopt;
  }
  return arguments;
}

int Watch(Client& client, const Arguments& arguments) {
  if (arguments.words.size() != 1) return Report(BadArguments(QStringLiteral("watch takes no arguments")));
  Watcher watcher(client, arguments.json);
  if (!watcher.Start()) return Report({Exit::kUnavailable, QStringLiteral("cannot watch the session bus")});
  return QCoreApplication::exec();
}

int Run(const QStringList& words) {
  if (words.contains(QLatin1String("--help")) || words.contains(QLatin1String("-h"))) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  Failure refusal{};
  const std::optional<Arguments> arguments = Parse(words, refusal);
  if (!arguments) return Report(refusal);
  const QString name = arguments->words.first();
  const Command* command = nullptr;
  for (const Command& candidate : kCommands) {
    if (name == QLatin1String(candidate.name)) command = &candidate;
  }
  if (command == nullptr && name != QLatin1String("watch"))
    return Report(BadArguments(QStringLiteral("unknown command %1").arg(name)));
  if (command != nullptr && arguments->words.size() < command->minimumWords)
    return Report(BadArguments(QStringLiteral("%1 needs more arguments").arg(name)));

  RegisterApiTypes();
  Client client(QDBusConnection::sessionBus());
  Outcome failure;
  if (!client.Reach(failure)) return Report(*failure);
  if (command == nullptr) return Watch(client, *arguments);
  if (const Outcome outcome = command->run(client, *arguments)) return Report(*outcome);
  return 0;
}

}  // namespace
}  // namespace nimbel::ctl

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  return nimbel::ctl::Run(QCoreApplication::arguments().mid(1));
}
