#include <gtest/gtest.h>

#include <QFontInfo>

#include "app/MainWindow1.h"

TEST(MainWindow, CaptionedTesmarin) {
  TMainForm1 form;
  form.show();
  EXPECT_EQ(form.windowTitle(), "Tesmarin");
  EXPECT_TRUE(form.isVisible());
}
