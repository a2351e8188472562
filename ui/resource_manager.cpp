#include "ui/resource_manager.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include "platform/trace.h"
#include "ui/skin_folder.h"

namespace nimbel {
namespace {

constexpr const char* kLanguageFolder = "lang/";

QString PropertyText(const QWidget* widget, const char* property) {
  return widget->property(property).toString();
}

// The text with the widget's number after it, when it has one.
QString Numbered(const QWidget* widget, const QString& text) {
  const int number = widget->property(CResourceManager::kTextNumberProperty).toInt();
  return number > 0 ? text + QLatin1Char(' ') + QString::number(number) : text;
}

void ApplyMainText(QWidget* widget, const QString& text) {
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
    group->setTitle(text);
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setPlaceholderText(text);
  } else {
    widget->setWindowTitle(text);
  }
}

}  // namespace

CResourceManager& CResourceManager::Instance() {
  static CResourceManager manager;
  return manager;
}

bool CResourceManager::LoadLanguage(const QString& file) {
  const QString path = SkinFilePath(QLatin1String(kLanguageFolder) + file);
  QString jsonPath = path;
  if (jsonPath.endsWith(QLatin1String(".ui"))) jsonPath = jsonPath.chopped(3) + QLatin1String(".json");
  QFile source(jsonPath);
  if (jsonPath.isEmpty() || !source.open(QIODevice::ReadOnly)) {
    Trace("language file " + file.toStdString() + " not read");
    return false;
  }
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(source.readAll(), &error);
  if (error.error != QJsonParseError::NoError || !document.isObject()) {
    Trace("language file " + file.toStdString() +
          " is not a JSON object: " + error.errorString().toStdString());
    return false;
  }
  QHash<QString, QString> texts;
  const QJsonObject object = document.object();
  for (auto entry = object.constBegin(); entry != object.constEnd(); ++entry) {
    if (entry.value().isString()) texts.insert(entry.key(), entry.value().toString());
  }
  texts_ = std::move(texts);
  tracked_.removeAll(nullptr);
  for (const QPointer<QWidget>& root : tracked_) ReloadText(root);
  return true;
}

QString CResourceManager::Text(const QString& id) const {
  return texts_.value(id, id);
}

void CResourceManager::ApplyTexts(QWidget* widget) const {
  const QString textId = PropertyText(widget, kTextIdProperty);
  if (!textId.isEmpty()) ApplyMainText(widget, Numbered(widget, Text(textId)));
  const QString toolTipId = PropertyText(widget, kToolTipIdProperty);
  if (!toolTipId.isEmpty()) widget->setToolTip(Text(toolTipId));
  if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    const QStringList ids = widget->property(kItemTextIdsProperty).toStringList();
    for (int i = 0; i < ids.size() && i < combo->count(); ++i) combo->setItemText(i, Text(ids[i]));
  }
}

void CResourceManager::ReloadText(QWidget* root) const {
  if (root == nullptr) return;
  ApplyTexts(root);
  for (QWidget* child : root->findChildren<QWidget*>()) ApplyTexts(child);
}

void CResourceManager::Track(QWidget* root) {
  if (root == nullptr) return;
  tracked_.removeAll(nullptr);
  if (!tracked_.contains(root)) tracked_.append(root);
  ReloadText(root);
}

void CResourceManager::SetTextId(QWidget* widget, const QString& id) const {
  if (widget == nullptr) return;
  widget->setProperty(kTextIdProperty, id);
  ApplyTexts(widget);
}

}  // namespace nimbel
