#include "ui/message_box.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <functional>

#include "ui/find_control.h"
#include "ui/resource_manager.h"

namespace nimbel {
namespace {

// The program's own skin holds the message box; the fixture skin holds the language.
class MessageBoxTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CResourceManager::Instance().LoadLanguage(QStringLiteral("lan_en.json")));
    saved_ = qgetenv("NIMBEL_SKIN_DIR");
    qputenv("NIMBEL_SKIN_DIR", NIMBEL_SOURCE_DIR "/skin");
  }
  void TearDown() override { qputenv("NIMBEL_SKIN_DIR", saved_); }

  // Runs `act` on the box once it is up, the way a user would answer it.
  int Answer(MessageBoxButtons buttons, std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [this, act] {
      QWidget* box = QApplication::activeModalWidget();
      ASSERT_NE(box, nullptr);
      shownText_ = FindControl<QLabel>(box, QStringLiteral("MessageText"))->text();
      shownTitle_ = FindControl<QLabel>(box, QStringLiteral("MessageTitle"))->text();
      cancelVisible_ = !FindControl(box, QStringLiteral("cancel_btn"))->isHidden();
      act(box);
    });
    return ShowMessageBox(nullptr, QStringLiteral("Nimbel"), QStringLiteral("msg_title"), 144, true, buttons);
  }

  static std::function<void(QWidget*)> Click(const char* name) {
    return [name](QWidget* box) { FindControl<QAbstractButton>(box, QLatin1String(name))->click(); };
  }

  QByteArray saved_;
  QString shownText_;
  QString shownTitle_;
  bool cancelVisible_ = false;
};

TEST_F(MessageBoxTest, ConfirmGivesOneEverythingElseZero) {
  const struct {
    MessageBoxButtons buttons;
    const char* button;
    int result;
    bool cancelShown;
  } cases[] = {
      {MessageBoxButtons::kConfirmCancel, "confirm_btn", 1, true},
      {MessageBoxButtons::kConfirmCancel, "cancel_btn", 0, true},
      {MessageBoxButtons::kConfirmCancel, "closebtn", 0, true},
      {MessageBoxButtons::kConfirm, "confirm_btn", 1, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Answer(c.buttons, Click(c.button)), c.result) << c.button;
    EXPECT_EQ(cancelVisible_, c.cancelShown) << c.button;
    EXPECT_EQ(shownText_, QStringLiteral("Confirm"));
    EXPECT_EQ(shownTitle_, QStringLiteral("Nimbel"));
  }
  EXPECT_EQ(Answer(MessageBoxButtons::kConfirmCancel, [](QWidget* box) { box->close(); }), 0);
}

TEST_F(MessageBoxTest, ALongTextGetsTheHeightItNeeds) {
  const QString text = QStringLiteral("The profile file %1 could not be read. ").repeated(6);
  QTimer::singleShot(0, [] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    const auto* label = FindControl<QLabel>(box, QStringLiteral("MessageText"));
    EXPECT_GE(label->height(), label->heightForWidth(label->width()));
    FindControl<QAbstractButton>(box, QStringLiteral("confirm_btn"))->click();
  });
  ShowMessageBox(nullptr, QString(), text, 144, true, MessageBoxButtons::kConfirm);
}

TEST_F(MessageBoxTest, AMissingSkinCountsAsNotConfirmed) {
  qputenv("NIMBEL_SKIN_DIR", "/nonexistent/skin");
  EXPECT_EQ(
      ShowMessageBox(nullptr, QString(), QStringLiteral("msg_title"), 96, false, MessageBoxButtons::kConfirm),
      0);
}

}  // namespace
}  // namespace nimbel
