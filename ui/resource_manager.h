#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>

class QWidget;

namespace nimbel {

// Interface texts by language text id ("message_text_32"). A language is a JSON object of id -> text in
// skin/lang/. Widgets name their text by the dynamic properties below; every skin loaded through
// LoadSkin is tracked, so a language change re-texts every open window at once.
//
//   textId       QLabel / QAbstractButton text, QGroupBox title, QLineEdit placeholder (its text is the
//                user's), any other widget's window title
//   toolTipId    tool tip of any widget
//   itemTextIds  string list: the texts of a QComboBox's items, in item order
//   textNumber   a number from 1 shown after the textId's text ("Mouse 2")
class CResourceManager {
 public:
  static constexpr const char* kTextIdProperty = "textId";
  static constexpr const char* kTextNumberProperty = "textNumber";
  static constexpr const char* kToolTipIdProperty = "toolTipId";
  static constexpr const char* kItemTextIdsProperty = "itemTextIds";

  static CResourceManager& Instance();

  // The language's name as the language list gives it; kept for whoever asks which language is on.
  void SetLanguage(const QString& name) { language_ = name; }
  QString Language() const { return language_; }

  // Reads skin/lang/<file> (a ".xml" name is read as its ".json" twin) and re-texts every tracked window.
  // On a missing or malformed file the current texts stay and false is returned.
  bool LoadLanguage(const QString& file);

  // The text of an id; an unknown id yields the id itself so no control is ever left blank.
  QString Text(const QString& id) const;

  // Applies the text properties to `root` and everything under it.
  void ReloadText(QWidget* root) const;

  // Texts `root` now and after every language change, for as long as it lives.
  void Track(QWidget* root);

  // Sets a widget's text id and shows its text at once.
  void SetTextId(QWidget* widget, const QString& id) const;

 private:
  CResourceManager() = default;
  void ApplyTexts(QWidget* widget) const;

  QString language_;
  QHash<QString, QString> texts_;
  QList<QPointer<QWidget>> tracked_;
};

}  // namespace nimbel
