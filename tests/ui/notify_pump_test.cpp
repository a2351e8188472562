#include "ui/notify_pump.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QVBoxLayout>
#include <functional>
#include <vector>

namespace nimbel {
namespace {

struct Seen {
  QString type;
  QString sender;
  std::intptr_t wParam;
  bool operator==(const Seen&) const = default;
};

void PrintTo(const Seen& seen, std::ostream* out) {
  *out << seen.type.toStdString() << "(" << seen.sender.toStdString() << ", " << seen.wParam << ")";
}

class Recorder : public INotifyUI {
 public:
  void Notify(TNotifyUI& msg) override {
    seen.push_back({QLatin1String(NotifyTypeName(msg.sType)), msg.senderName, msg.wParam});
  }
  std::vector<Seen> seen;
};

// A page with one control of each kind, attached to a pump.
class NotifyPumpTest : public testing::Test {
 protected:
  void SetUp() override {
    auto* layout = new QVBoxLayout(&page_);
    button_ = Add<QPushButton>(layout, "plain_btn");
    toggle_ = Add<QPushButton>(layout, "toggle_btn");
    toggle_->setCheckable(true);
    check_ = Add<QCheckBox>(layout, "sync_check");
    radioA_ = Add<QRadioButton>(layout, "option_1");
    radioB_ = Add<QRadioButton>(layout, "option_2");
    slider_ = Add<QSlider>(layout, "DPI_slider_1");
    slider_->setRange(0, 100);
    combo_ = Add<QComboBox>(layout, "mode_combo");
    combo_->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    edit_ = Add<QLineEdit>(layout, "DPI_edit_1");
    list_ = Add<QListWidget>(layout, "macro_action");
    list_->addItems({QStringLiteral("x"), QStringLiteral("y")});
    pump_.Attach(&page_);
    page_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page_));
  }

  template <typename T>
  T* Add(QVBoxLayout* layout, const char* name) {
    auto* widget = new T(&page_);
    widget->setObjectName(QLatin1String(name));
    layout->addWidget(widget);
    return widget;
  }

  void SendFocus(QWidget* widget, QEvent::Type type) {
    QFocusEvent event(type, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(widget, &event);
  }

  QWidget page_;
  Recorder recorder_;
  CNotifyPump pump_{&recorder_};
  QPushButton* button_ = nullptr;
  QPushButton* toggle_ = nullptr;
  QCheckBox* check_ = nullptr;
  QRadioButton* radioA_ = nullptr;
  QRadioButton* radioB_ = nullptr;
  QSlider* slider_ = nullptr;
  QComboBox* combo_ = nullptr;
  QLineEdit* edit_ = nullptr;
  QListWidget* list_ = nullptr;
};

TEST_F(NotifyPumpTest, SignalsBecomeTheProgramsNotifications) {
  radioA_->setChecked(true);
  recorder_.seen.clear();
  const struct {
    const char* what;
    std::function<void()> act;
    std::vector<Seen> expected;
  } cases[] = {
      {"button click", [&] { QTest::mouseClick(button_, Qt::LeftButton); }, {{"click", "plain_btn", 0}}},
      {"checkable button",
       [&] { QTest::mouseClick(toggle_, Qt::LeftButton); },
       {{"selectchanged", "toggle_btn", 1}, {"click", "toggle_btn", 0}}},
      {"check box by keyboard",
       [&] { QTest::keyClick(check_, Qt::Key_Space); },
       {{"selectchanged", "sync_check", 1}, {"click", "sync_check", 0}}},
      {"radio switch",
       [&] { QTest::mouseClick(radioB_, Qt::LeftButton, {}, QPoint(4, radioB_->height() / 2)); },
       {{"selectchanged", "option_1", 0}, {"selectchanged", "option_2", 1}, {"click", "option_2", 0}}},
      {"slider by keyboard",
       [&] { QTest::keyClick(slider_, Qt::Key_Right); },
       {{"valuechanged", "DPI_slider_1", 1}}},
      {"slider drag and release",
       [&] {
         // What a press on the handle, a drag and the release do to the slider.
         slider_->setSliderDown(true);
         slider_->setSliderPosition(40);
         slider_->setSliderPosition(60);
         slider_->setSliderDown(false);
       },
       {{"movevaluechanged", "DPI_slider_1", 40},
        {"movevaluechanged", "DPI_slider_1", 60},
        {"valuechanged", "DPI_slider_1", 60}}},
      {"slider set by the program", [&] { slider_->setValue(70); }, {{"valuechanged", "DPI_slider_1", 70}}},
      {"combo chosen by the user",
       [&] { QTest::keyClick(combo_, Qt::Key_Down); },
       {{"itemselect", "mode_combo", 1}}},
      {"combo set by the program", [&] { combo_->setCurrentIndex(2); }, {}},
      {"edit typed and left",
       [&] {
         SendFocus(edit_, QEvent::FocusIn);
         QTest::keyClicks(edit_, QStringLiteral("80"));
         SendFocus(edit_, QEvent::FocusOut);
       },
       {{"setfocus", "DPI_edit_1", 0},
        {"textchanged", "DPI_edit_1", 0},
        {"textchanged", "DPI_edit_1", 0},
        {"killfocus", "DPI_edit_1", 0}}},
      {"edit committed by Return, then left",
       [&] {
         SendFocus(edit_, QEvent::FocusIn);
         QTest::keyClick(edit_, Qt::Key_Return);
         SendFocus(edit_, QEvent::FocusOut);
       },
       {{"setfocus", "DPI_edit_1", 0}, {"killfocus", "DPI_edit_1", 0}}},
      {"list item activated",
       [&] {
         list_->setCurrentRow(1);
         QTest::keyClick(list_, Qt::Key_Return);
       },
       {{"itemactivate", "macro_action", 1}}},
  };
  for (const auto& c : cases) {
    recorder_.seen.clear();
    c.act();
    EXPECT_EQ(recorder_.seen, c.expected) << c.what;
  }
}

TEST_F(NotifyPumpTest, ABlockerSilencesProgramChanges) {
  {
    ScopedNotifyBlocker blocker;
    ScopedNotifyBlocker nested;
    slider_->setValue(30);
    check_->setChecked(true);
    button_->click();
  }
  EXPECT_TRUE(recorder_.seen.empty());
  slider_->setValue(31);
  EXPECT_EQ(recorder_.seen, (std::vector<Seen>{{"valuechanged", "DPI_slider_1", 31}}));
}

TEST_F(NotifyPumpTest, ControlsAddedLaterAreAttachedByTheEventLoop) {
  auto* later = new QPushButton(&page_);
  later->setObjectName(QStringLiteral("later_btn"));
  QCoreApplication::processEvents();
  later->click();
  EXPECT_EQ(recorder_.seen, (std::vector<Seen>{{"click", "later_btn", 0}}));
}

TEST_F(NotifyPumpTest, CustomNotificationsReachThePumpsOfTheTree) {
  CNotifyPump::SendNotify(button_, notify::kColorChanged, 7, 0);
  QPushButton outside;
  outside.setObjectName(QStringLiteral("outside"));
  CNotifyPump::SendNotify(&outside, notify::kColorChanged, 8, 0);
  EXPECT_EQ(recorder_.seen, (std::vector<Seen>{{"colorchanged", "plain_btn", 7}}));
  EXPECT_TRUE(CNotifyPump::IsPumped(button_));
  EXPECT_FALSE(CNotifyPump::IsPumped(&outside));
}

}  // namespace
}  // namespace nimbel
