#pragma once

#include <QHash>
#include <QString>
#include <QUiLoader>

class QWidget;

namespace nimbel {

// The window whose skin is being built answers for the tag names it knows (the colour palette's
// dialog). Compare tag names case-insensitively; return nullptr for a tag you do not know so
// the loader falls back to Qt's class.
class IDialogBuilderCallback {
 public:
  virtual ~IDialogBuilderCallback() = default;
  virtual QWidget* CreateControl(const QString& tagName, QWidget* parent) = 0;
};

// A QUiLoader that creates a class by the control factory first, then by the builder callback, and only
// then by Qt. An unknown custom class ends up as the Qt class it extends.
class SkinLoader : public QUiLoader {
 public:
  explicit SkinLoader(IDialogBuilderCallback* callback, QObject* parent = nullptr);

  // The classes the skin declares as its own, each with the class it extends; one that no factory makes
  // is built as that class.
  void SetCustomClasses(QHash<QString, QString> baseOf) { baseOf_ = std::move(baseOf); }

  QWidget* createWidget(const QString& className, QWidget* parent = nullptr,
                        const QString& name = QString()) override;

 private:
  IDialogBuilderCallback* callback_;
  QHash<QString, QString> baseOf_;
};

// Builds a skin file ("XML/msg.ui", see SkinFilePath) under `parent`. The tree gets its
// image and colour attributes drawn, its texts in the current language, and follows later language
// changes. nullptr (with a trace line saying why) when the file is missing, unreadable or invalid, or the
// skins nest deeper than any real skin does (a skin that includes itself).
QWidget* LoadSkin(const QString& skinName, QWidget* parent, IDialogBuilderCallback* callback = nullptr);

// A plain container holding the tree of another skin file, for the tags that stand for a sub-skin
// ("DeviceProfileUI" -> XML/CustomControlXML/DeviceProfile.ui). Nested custom tags resolve through the
// same callback. nullptr when the sub-skin cannot be built.
QWidget* CreateSubSkinContainer(const QString& skinName, QWidget* parent, IDialogBuilderCallback* callback);

}  // namespace nimbel
