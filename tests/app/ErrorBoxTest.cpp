// The top-level error handler: title, icon, button and the final-dot rule,
// for errors raised in handlers and in events.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPushButton>
#include <QTest>
#include <stdexcept>

#include "app/ErrorBox.h"
#include "support/FakePlatform.h"
#include "support/TempDir.h"

namespace {

TEST(ErrorBox, FinalDotOnlyAfterCharactersThatSortAfterIt) {
  EXPECT_EQ(ErrorBoxText("Cannot open file \"/x/firebird.conf\". No such file or directory"),
            "Cannot open file \"/x/firebird.conf\". No such file or directory.");
  EXPECT_EQ(ErrorBoxText("Done."), "Done.");
  EXPECT_EQ(ErrorBoxText("Really?"), "Really?.");  // '?' sorts after '.'
  EXPECT_EQ(ErrorBoxText("ends with a blank "), "ends with a blank ");
  EXPECT_EQ(ErrorBoxText("quoted \"x\""), "quoted \"x\"");  // '"' sorts before '.'
  EXPECT_EQ(ErrorBoxText("range 1448-32767)"), "range 1448-32767)");
  EXPECT_EQ(ErrorBoxText(""), "");
  EXPECT_EQ(ErrorBoxText("path/"), "path/.");
}

TEST(ErrorBox, GuardedActionShowsStopBoxAndStops) {
  TempDir dir;
  FakePlatform platform(QString::fromStdString(dir.path()));
  bool after = false;
  const bool ok = RunGuarded([&] {
    throw std::runtime_error("Unable to write to /x/Config.ini");
    after = true;
  });
  EXPECT_FALSE(ok);
  EXPECT_FALSE(after);
  ASSERT_EQ(platform.messages.size(), 1u);
  const auto& box = platform.messages[0];
  EXPECT_EQ(box.icon, QMessageBox::Critical);
  EXPECT_EQ(box.title, "Pellisto");
  EXPECT_EQ(box.text, "Unable to write to /x/Config.ini.");
  EXPECT_EQ(box.buttons, QMessageBox::Ok);
  EXPECT_EQ(box.defaultButton, QMessageBox::Ok);
  EXPECT_TRUE(RunGuarded([] {}));
  EXPECT_EQ(platform.messages.size(), 1u);
}

TEST(ErrorBox, ErrorInAnEventHandlerReachesTheApplicationHandler) {
  TempDir dir;
  FakePlatform platform(QString::fromStdString(dir.path()));
  QPushButton button("Apply");
  QObject::connect(&button, &QPushButton::clicked,
                   [] { throw std::runtime_error("Cannot create file \"a\". Permission denied"); });
  button.show();
  QTest::mouseClick(&button, Qt::LeftButton);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "Cannot create file \"a\". Permission denied.");
  // The application goes on working after the error.
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(platform.messages.size(), 2u);
}

}  // namespace
