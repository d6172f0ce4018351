#include <gtest/gtest.h>

#include <QWidget>

#include "widgets/SpeedButton.h"

TEST(SpeedButton, GroupedButtonsReleaseEachOther) {
  QWidget parent;
  TSpeedButton a(&parent), b(&parent), c(&parent);
  a.SetGroupIndex(1);
  b.SetGroupIndex(1);
  c.SetGroupIndex(2);
  c.SetDown(true);

  a.click();
  EXPECT_TRUE(a.Down());
  EXPECT_TRUE(a.isChecked());
  b.click();
  EXPECT_TRUE(b.Down());
  EXPECT_FALSE(a.Down()) << "going down released the other button of the group";
  EXPECT_FALSE(a.isChecked());
  EXPECT_TRUE(c.Down()) << "another group is left alone";

  // A down button goes up by a second click only with AllowAllUp, which the group shares.
  b.click();
  EXPECT_TRUE(b.Down());
  b.SetAllowAllUp(true);
  a.SetAllowAllUp(true);
  a.click();
  EXPECT_TRUE(b.AllowAllUp());
  a.click();
  EXPECT_FALSE(a.Down());

  // Leaving the group releases the button; an ungrouped button never stays down.
  c.SetGroupIndex(0);
  EXPECT_FALSE(c.Down());
  EXPECT_FALSE(c.isChecked());
  c.click();
  EXPECT_FALSE(c.Down());
}

TEST(SpeedButton, NotificationReachesEveryControlOfTheParent) {
  QWidget parent;
  class Listener : public QWidget {
   public:
    using QWidget::QWidget;
    int heard = 0;
    bool event(QEvent* e) override {
      if (e->type() == static_cast<QEvent::Type>(CM_BUTTONPRESSED)) ++heard;
      return QWidget::event(e);
    }
  };
  Listener one(&parent), two(&parent);
  TSpeedButton button(&parent);
  BroadcastButtonPressed(&parent, 4, &button);
  EXPECT_EQ(one.heard, 1);
  EXPECT_EQ(two.heard, 1);
  BroadcastButtonPressed(nullptr, 4, &button);  // nothing to tell, nothing happens
}
