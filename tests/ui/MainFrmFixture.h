#pragma once
// Builds the editor window over a firebird.conf the test writes, with the
// desktop replaced by a FakePlatform whose folder holds Config.ini.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "app/Functions.h"
#include "support/FakePlatform.h"
#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "ui/main/ControlBinding.h"
#include "ui/main/MainFrm.h"

class MainFrmTest : public ::testing::Test {
 protected:
  MainFrmTest() : platform(QString::fromStdString(dir.path())) {
    InstallPath = QString::fromStdString(dir.path());
  }
  ~MainFrmTest() override { InstallPath.clear(); }

  std::string conf() const { return dir.file("firebird.conf"); }

  // Writes firebird.conf (LF line ends) and opens the window on it.
  TMainFrm& Open(const std::string& text) {
    WriteFileBytes(conf(), text);
    return Reopen();
  }
  TMainFrm& Reopen() {
    window = std::make_unique<TMainFrm>();
    return *window;
  }

  // A control by name; one on a page not built yet is found once every
  // page is, as Apply or a search would build them.
  template <typename T>
  T* W(const char* name) const {
    T* widget = window->findChild<T*>(name);
    if (!widget) {
      window->BuildAllPages();
      widget = window->findChild<T*>(name);
    }
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QLineEdit* Edit(const char* name) const { return W<QLineEdit>(name); }
  QCheckBox* Check(const char* name) const { return W<QCheckBox>(name); }
  QComboBox* Combo(const char* name) const { return W<QComboBox>(name); }
  QRadioButton* Radio(const char* name) const { return W<QRadioButton>(name); }
  QListWidget* List(const char* name) const { return W<QListWidget>(name); }
  QPushButton* Button(const char* name) const { return W<QPushButton>(name); }

  QStringList Entries(const char* list) const {
    QStringList entries;
    for (int i = 0; i < List(list)->count(); ++i) entries << List(list)->item(i)->text();
    return entries;
  }
  bool ApplyEnabled() const { return Button("BtApply")->isEnabled(); }
  std::string Pending() const {
    std::string all;
    for (const auto& entry : window->Document()->PendingChanges()) all += entry + "|";
    return all;
  }
  void Click(const char* button) { QTest::mouseClick(Button(button), Qt::LeftButton); }
  void Trigger(const char* action) { W<QAction>(action)->trigger(); }
  // Presses Apply; true when it ran through: no error shown, and the
  // changes no longer pending.
  bool Apply() {
    const std::size_t before = platform.messages.size();
    Click("BtApply");
    for (std::size_t i = before; i < platform.messages.size(); ++i)
      if (platform.messages[i].icon == QMessageBox::Critical) return false;
    return !ApplyEnabled();
  }
  void Type(const char* edit, const QString& text) {
    Edit(edit)->setFocus();
    Edit(edit)->selectAll();
    QTest::keyClicks(Edit(edit), text);
  }
  std::vector<QString> MessageTexts() const {
    std::vector<QString> texts;
    for (const auto& m : platform.messages) texts.push_back(m.text);
    return texts;
  }

  TempDir dir;
  FakePlatform platform;
  std::unique_ptr<TMainFrm> window;
};
