#pragma once

#include <QColor>
#include <QRgb>
#include <QString>
#include <array>
#include <memory>
#include <optional>

#include "editors/colour_option_file.h"
#include "ui/notify_pump.h"
#include "ui/skin_loader.h"

class QCheckBox;
class QDialog;
class QLabel;
class QLineEdit;
class QWidget;

namespace nimbel {

class CColorOptionUI;
class CColorPaletteUI;

// A colour component typed into an edit: an empty or negative text counts as 0 and a value above 255 as
// 255, and the edit shows what was taken.
int ReadColourComponent(QLineEdit& edit);

// How the palette dialog's modal run ended.
enum ColourSelectResult : int {
  kColourSelectClosed = 0,     // close or cancel: no colour
  kColourSelectChosen = 1,     // OK: ResultColour() holds the colour
  kColourSelectNoPalette = 2,  // OK in a skin without a palette: no colour
};

// The modal colour chooser: a palette, red/green/blue and hexadecimal edits, twenty preset colours (from
// the skin) and twenty collected colours, both kept in the colour option file between uses. A collected
// slot, once selected, takes every colour the user then chooses, until another slot is selected.
class CColorSelectWnd : public INotifyUI, public IDialogBuilderCallback {
 public:
  static constexpr const char* kSkinFile = "XML/PalletDialog.ui";

  // Builds the dialog on `owner` and reads the colour options (see LoadColourOptions).
  explicit CColorSelectWnd(QWidget* owner);
  ~CColorSelectWnd() override;
  CColorSelectWnd(const CColorSelectWnd&) = delete;
  CColorSelectWnd& operator=(const CColorSelectWnd&) = delete;

  // False when the skin could not be built; nothing else then works.
  bool IsBuilt() const { return dialog_ != nullptr; }
  QDialog* Dialog() const { return dialog_.get(); }

  // The colour the dialog starts from: shown, selected in the palette and in the edits.
  void SetColour(QColor colour);
  // For owners that take one colour only: the multicolour option is cleared and hidden.
  void HideMulticolour();
  // Runs the dialog modally; a ColourSelectResult.
  int DoModal();
  QColor ResultColour() const { return QColor::fromRgba(result_); }

  void Notify(TNotifyUI& msg) override;
  QWidget* CreateControl(const QString& tagName, QWidget* parent) override;

 private:
  void FindControls();
  void ShowStoredOptions();
  void OnPresetSelected(int index);
  void OnCollectedSelected(int index);
  void OnPaletteColour(bool settled);
  void OnComponentsEdited();
  void OnHexEdited();
  void OnMulticolour(bool on);
  void OnOk();
  void Close(int result);
  bool TakeColour(QRgb colour);
  bool StoreInCollectedSlot();
  void ShowColour(QRgb colour);
  void ShowComponents(QRgb colour);
  void SaveOptions();

  std::unique_ptr<QDialog> dialog_;
  // After the dialog, so it is gone before the widgets it listens to.
  std::unique_ptr<CNotifyPump> pump_;
  ColourOptions options_;
  QRgb current_ = kBlankOptionColour;
  QRgb result_ = kBlankOptionColour;
  int presetIndex_ = kInitialPresetIndex;
  int collectedIndex_ = kInitialCollectedIndex;

  CColorPaletteUI* palette_ = nullptr;
  QWidget* display_ = nullptr;
  std::array<QLineEdit*, 3> componentEdits_{};
  QLineEdit* hexEdit_ = nullptr;
  std::array<CColorOptionUI*, kColourOptionCount> presets_{};
  std::array<CColorOptionUI*, kColourOptionCount> collected_{};
  QCheckBox* multicolourCheck_ = nullptr;
  QWidget* multicolourLayout_ = nullptr;
  QLabel* saveError_ = nullptr;
};

// Opens the palette dialog on `parent` starting from `initial` and returns the colour chosen with OK, or
// nothing on cancel. Only one palette dialog is open at a time: a second call while one is open returns
// nothing at once.
std::optional<QColor> ChooseColour(QWidget* parent, QColor initial);

}  // namespace nimbel
