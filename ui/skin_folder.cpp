#include "ui/skin_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace nimbel {
namespace {

constexpr const char* kSkinFolderVariable = "NIMBEL_SKIN_DIR";
constexpr const char* kSearchPrefix = "skin";
constexpr const char* kBesideExecutable = "/skin";
constexpr const char* kInstalled = "/../share/nimbel/skin";

QString LocateSkinFolder() {
  const QString fromEnvironment = qEnvironmentVariable(kSkinFolderVariable);
  if (!fromEnvironment.isEmpty()) return QDir(fromEnvironment).absolutePath();
  const QString programFolder = QCoreApplication::applicationDirPath();
  const QString beside = programFolder + QLatin1String(kBesideExecutable);
  if (QFileInfo(beside).isDir()) return QDir(beside).absolutePath();
  const QString installed = programFolder + QLatin1String(kInstalled);
  if (QFileInfo(installed).isDir()) return QDir(installed).absolutePath();
  return QDir(beside).absolutePath();
}

}  // namespace

QString SkinFolder() {
  const QString folder = LocateSkinFolder();
  const QStringList current = QDir::searchPaths(QLatin1String(kSearchPrefix));
  if (current.size() != 1 || current.front() != folder) {
    QDir::setSearchPaths(QLatin1String(kSearchPrefix), {folder});
  }
  return folder;
}

QString NormalizeSkinName(const QString& skinName) {
  QString name = skinName;
  name.replace(QLatin1Char('\\'), QLatin1Char('/'));
  if (name.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive)) {
    name.chop(4);
    name += QLatin1String(".ui");
  }
  if (name.isEmpty() || QDir::isAbsolutePath(name)) return {};
  const QString cleaned = QDir::cleanPath(name);
  if (cleaned == QLatin1String("..") || cleaned.startsWith(QLatin1String("../"))) return {};
  return cleaned;
}

QString SkinFilePath(const QString& skinName) {
  const QString relative = NormalizeSkinName(skinName);
  if (relative.isEmpty()) return {};
  return SkinFolder() + QLatin1Char('/') + relative;
}

}  // namespace nimbel
