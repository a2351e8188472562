#pragma once

#include <QFont>
#include <QList>
#include <QString>

namespace nimbel {

// The program's own font files (Font/ beside the executable), registered for this process only while the
// object lives. Files that are missing or unreadable are skipped: their faces are simply unavailable and
// the font table falls back to the system's UI font.
class PrivateFonts {
 public:
  explicit PrivateFonts(const QString& folder = DefaultFontFolder());
  ~PrivateFonts();
  PrivateFonts(const PrivateFonts&) = delete;
  PrivateFonts& operator=(const PrivateFonts&) = delete;

  static QString DefaultFontFolder();
  int LoadedCount() const { return static_cast<int>(ids_.size()); }

 private:
  QList<int> ids_;
};

// The face every text of the program asks for, whatever the language.
inline constexpr const char* kSkinFontFace = "MiSans Normal";

// Rebuilds the shared font table with `face` (or the system UI font's family when `face` is not
// installed) and makes its default entry the application font. Needs a QGuiApplication.
void ApplyFontTable(const QString& face);

// A font of the table by id (0-12, 50, 51); the default entry for any other id. Sizes are the table's
// pixel heights.
QFont SkinFont(int id);
QFont DefaultSkinFont();

}  // namespace nimbel
