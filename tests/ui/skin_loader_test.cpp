#include "ui/skin_loader.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <memory>
#include <string>
#include <vector>

#include "platform/trace.h"
#include "ui/control_factory.h"
#include "ui/find_control.h"
#include "ui/skin_folder.h"

namespace nimbel {
namespace {

class CTestControlUI : public QWidget {
 public:
  using QWidget::QWidget;
};

// The main window's tag table in miniature: sub-skin tags, compared case-insensitively.
class SubSkinCallback : public IDialogBuilderCallback {
 public:
  QWidget* CreateControl(const QString& tagName, QWidget* parent) override {
    if (tagName.compare(QLatin1String("SubPanelUI"), Qt::CaseInsensitive) == 0) {
      return CreateSubSkinContainer(QStringLiteral("XML\\sub.xml"), parent, this);
    }
    if (tagName.compare(QLatin1String("LoopUI"), Qt::CaseInsensitive) == 0) {
      return CreateSubSkinContainer(QStringLiteral("XML\\loop.xml"), parent, this);
    }
    return nullptr;
  }
};

class SkinLoaderTest : public testing::Test {
 protected:
  void SetUp() override {
    CControlFactory::Instance().RegistControl(QStringLiteral("CTestControlUI"),
                                              [](QWidget* parent) { return new CTestControlUI(parent); });
  }
  SubSkinCallback callback_;
};

// Qt's warnings while it lives.
class WarningLog {
 public:
  WarningLog() : previous_(qInstallMessageHandler(&Record)) { Lines().clear(); }
  ~WarningLog() { qInstallMessageHandler(previous_); }
  WarningLog(const WarningLog&) = delete;
  WarningLog& operator=(const WarningLog&) = delete;
  static QStringList& Lines() {
    static QStringList lines;
    return lines;
  }

 private:
  static void Record(QtMsgType, const QMessageLogContext&, const QString& text) { Lines() << text; }
  QtMessageHandler previous_;
};

TEST_F(SkinLoaderTest, CreatesRegisteredClassesTagsAndFallsBackForUnknownOnes) {
  std::unique_ptr<QWidget> root;
  {
    const WarningLog warnings;
    root.reset(LoadSkin(QStringLiteral("XML\\custom.xml"), nullptr, &callback_));
    // A skin class that nothing makes is built as the class it extends, without a word.
    EXPECT_TRUE(WarningLog::Lines().isEmpty()) << WarningLog::Lines().join('\n').toStdString();
  }
  ASSERT_NE(root, nullptr);

  QWidget* custom = FindControl(root.get(), QStringLiteral("test_control"));
  ASSERT_NE(custom, nullptr);
  EXPECT_NE(dynamic_cast<CTestControlUI*>(custom), nullptr);

  auto* unknown = FindControl<QPushButton>(root.get(), QStringLiteral("unknown_button"));
  ASSERT_NE(unknown, nullptr);
  EXPECT_STREQ(unknown->metaObject()->className(), "QPushButton");

  QWidget* panel = FindControl(root.get(), QStringLiteral("sub_panel"));
  ASSERT_NE(panel, nullptr);
  EXPECT_NE(FindControl<QLabel>(panel, QStringLiteral("sub_label")), nullptr);
}

TEST_F(SkinLoaderTest, FindControlMatchesNameAndType) {
  std::unique_ptr<QWidget> root(LoadSkin(QStringLiteral("XML/custom.ui"), nullptr, &callback_));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(FindControl(root.get(), QStringLiteral("root")), root.get());
  EXPECT_NE(FindControl<QLabel>(root.get(), QStringLiteral("title_label")), nullptr);
  EXPECT_EQ(FindControl<QPushButton>(root.get(), QStringLiteral("title_label")), nullptr);
  EXPECT_EQ(FindControl(root.get(), QStringLiteral("Title_Label")), nullptr);
  EXPECT_EQ(FindControl(root.get(), QStringLiteral("no_such_control")), nullptr);
}

TEST_F(SkinLoaderTest, ASkinThatIncludesItselfEndsWithATrace) {
  std::vector<std::string> lines;
  ScopedTraceCapture capture([&](std::string_view line) { lines.emplace_back(line); });
  std::unique_ptr<QWidget> root(LoadSkin(QStringLiteral("XML/loop.ui"), nullptr, &callback_));
  EXPECT_NE(root, nullptr);
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(lines.front().find("nest too deep"), std::string::npos) << lines.front();
}

TEST_F(SkinLoaderTest, MissingAndEscapingSkinsGiveNullptrWithAReason) {
  std::vector<std::string> lines;
  ScopedTraceCapture capture([&](std::string_view line) { lines.emplace_back(line); });
  EXPECT_EQ(LoadSkin(QStringLiteral("XML\\absent.xml"), nullptr), nullptr);
  EXPECT_EQ(LoadSkin(QStringLiteral("..\\..\\custom.xml"), nullptr), nullptr);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("absent.ui"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("leaves the skin folder"), std::string::npos) << lines[1];
}

TEST(SkinFolder, ProgramNamesMapToSkinFiles) {
  const struct {
    const char* name;
    const char* relative;
  } cases[] = {
      {"XML\\DeviceXml\\mousedevice.xml", "XML/DeviceXml/mousedevice.ui"},
      {"XML/msg.ui", "XML/msg.ui"},
      {"XML\\CustomControlXML\\.\\DeviceProfile.xml", "XML/CustomControlXML/DeviceProfile.ui"},
      {"XML\\..\\..\\secret.xml", ""},
      {"/etc/passwd", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NormalizeSkinName(QString::fromUtf8(c.name)), QString::fromUtf8(c.relative)) << c.name;
  }
  EXPECT_EQ(SkinFilePath(QStringLiteral("XML\\msg.xml")), SkinFolder() + QStringLiteral("/XML/msg.ui"));
  EXPECT_EQ(SkinFolder(), QDir(QString::fromUtf8(NIMBEL_UI_FIXTURE_SKIN)).absolutePath());
}

}  // namespace
}  // namespace nimbel
