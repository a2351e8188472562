#include "ui/fonts.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <array>

namespace nimbel {
namespace {

// Loaded in this order; later files may add faces that earlier ones lack.
constexpr std::array<const char*, 8> kFontFiles = {
    "Simplified_Chinese.ttf", "Display-Regular.otf", "NotoSansThai-Regular.ttf", "NotoSansCJKtc-Regular.otf",
    "MiSans-Normal.ttf",      "MiSans-Demibold.ttf", "MiSans-Semibold.ttf",      "MiSans-Light.ttf",
};

struct FontRow {
  int id;
  int pixelSize;
  bool underline;
  bool bold;
};

constexpr int kDefaultFontId = -1;
constexpr auto kFontTable = std::to_array<FontRow>({
    {kDefaultFontId, 13, false, false},
    {0, 15, false, false},
    {1, 14, true, false},
    {2, 18, false, false},
    {3, 30, false, false},
    {4, 16, false, false},
    {5, 20, false, false},
    {6, 22, false, false},
    {7, 14, false, false},
    {8, 12, false, false},
    {9, 11, false, false},
    {10, 10, false, false},
    {11, 28, false, false},
    {12, 8, false, false},
    {50, 14, false, true},
    {51, 16, false, true},
});

QHash<int, QFont>& FontTable() {
  static QHash<int, QFont> table;
  return table;
}

QString AvailableFamily(const QString& face) {
  if (QFontDatabase::families().contains(face, Qt::CaseInsensitive)) return face;
  return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

}  // namespace

PrivateFonts::PrivateFonts(const QString& folder) {
  for (const char* file : kFontFiles) {
    const int id = QFontDatabase::addApplicationFont(folder + QLatin1Char('/') + QLatin1String(file));
    if (id >= 0) ids_.append(id);
  }
}

PrivateFonts::~PrivateFonts() {
  for (auto id = ids_.crbegin(); id != ids_.crend(); ++id) QFontDatabase::removeApplicationFont(*id);
}

QString PrivateFonts::DefaultFontFolder() {
  return QCoreApplication::applicationDirPath() + QStringLiteral("/Font");
}

void ApplyFontTable(const QString& face) {
  const QString family = AvailableFamily(face);
  QHash<int, QFont> table;
  for (const FontRow& row : kFontTable) {
    QFont font(family);
    font.setPixelSize(row.pixelSize);
    font.setUnderline(row.underline);
    font.setBold(row.bold);
    table.insert(row.id, font);
  }
  FontTable() = std::move(table);
  QGuiApplication::setFont(FontTable().value(kDefaultFontId));
}

QFont SkinFont(int id) {
  const QHash<int, QFont>& table = FontTable();
  if (table.contains(id)) return table.value(id);
  return DefaultSkinFont();
}

QFont DefaultSkinFont() {
  return FontTable().value(kDefaultFontId, QGuiApplication::font());
}

}  // namespace nimbel
