#include "ui/skin_loader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QVBoxLayout>
#include <QWidget>
#include <QXmlStreamReader>

#include "platform/trace.h"
#include "ui/control_factory.h"
#include "ui/resource_manager.h"
#include "ui/skin_attributes.h"
#include "ui/skin_folder.h"

namespace nimbel {
namespace {

// Real skins nest a few levels (window, page, panel, sub-panel); a deeper chain is a skin including itself.
constexpr int kMaxSkinNesting = 16;
int skinNesting = 0;

class NestingGuard {
 public:
  NestingGuard() { ++skinNesting; }
  ~NestingGuard() { --skinNesting; }
  NestingGuard(const NestingGuard&) = delete;
  NestingGuard& operator=(const NestingGuard&) = delete;
};

// The <customwidget> entries of a skin: class name -> the class it extends.
QHash<QString, QString> CustomClassesOf(const QByteArray& skin) {
  QHash<QString, QString> baseOf;
  QXmlStreamReader reader(skin);
  QString className;
  while (!reader.atEnd()) {
    if (reader.readNext() != QXmlStreamReader::StartElement) continue;
    if (reader.name() == QLatin1String("class")) {
      className = reader.readElementText();
    } else if (reader.name() == QLatin1String("extends") && !className.isEmpty()) {
      baseOf.insert(className, reader.readElementText());
    }
  }
  return baseOf;
}

void TraceLoadFailure(const QString& skinName, const QString& reason) {
  Trace("skin " + skinName.toStdString() + " not loaded: " + reason.toStdString());
}

}  // namespace

SkinLoader::SkinLoader(IDialogBuilderCallback* callback, QObject* parent)
    : QUiLoader(parent), callback_(callback) {}

QWidget* SkinLoader::createWidget(const QString& className, QWidget* parent, const QString& name) {
  QWidget* widget = CControlFactory::Instance().CreateControl(className, parent);
  if (widget == nullptr && callback_ != nullptr) widget = callback_->CreateControl(className, parent);
  if (widget == nullptr) {
    // A class of the skin's own that nothing here makes (a device page's root, built by its device):
    // its base class, which is what the form builder would fall back to after a warning.
    return QUiLoader::createWidget(baseOf_.value(className, className), parent, name);
  }
  if (widget->parentWidget() != parent) widget->setParent(parent);
  widget->setObjectName(name);
  return widget;
}

QWidget* LoadSkin(const QString& skinName, QWidget* parent, IDialogBuilderCallback* callback) {
  if (skinNesting >= kMaxSkinNesting) {
    TraceLoadFailure(skinName, QStringLiteral("skins nest too deep"));
    return nullptr;
  }
  NestingGuard nesting;
  const QString path = SkinFilePath(skinName);
  if (path.isEmpty()) {
    TraceLoadFailure(skinName, QStringLiteral("the name leaves the skin folder"));
    return nullptr;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    TraceLoadFailure(skinName, path + QStringLiteral(": ") + file.errorString());
    return nullptr;
  }
  const QByteArray content = file.readAll();
  QBuffer source;
  source.setData(content);
  source.open(QIODevice::ReadOnly);
  SkinLoader loader(callback);
  loader.SetCustomClasses(CustomClassesOf(content));
  loader.setWorkingDirectory(QDir(SkinFolder()));
  QWidget* root = loader.load(&source, parent);
  if (root == nullptr) {
    TraceLoadFailure(skinName, loader.errorString());
    return nullptr;
  }
  ApplySkinAttributesTree(root);
  CResourceManager::Instance().Track(root);
  return root;
}

QWidget* CreateSubSkinContainer(const QString& skinName, QWidget* parent, IDialogBuilderCallback* callback) {
  auto* container = new QWidget(parent);
  QWidget* content = LoadSkin(skinName, container, callback);
  if (content == nullptr) {
    delete container;
    return nullptr;
  }
  auto* layout = new QVBoxLayout(container);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(content);
  return container;
}

}  // namespace nimbel
