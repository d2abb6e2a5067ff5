// The real launcher of the text editor: the file travels as one argument of
// a program started directly, so no name is split or read by a shell, and
// nothing waits for the editor.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "app/PlatformServices.h"
#include "support/Process.h"
#include "support/TempDir.h"
#include "support/TestSystem.h"

namespace {

// The desktop's services with a stand-in editor that writes down its
// arguments.
class RecordingDesktop : public DesktopServices {
 public:
  explicit RecordingDesktop(QString editor) : editor_(std::move(editor)) {}

 protected:
  QString TextEditorLauncher() override { return editor_; }

 private:
  QString editor_;
};

#ifndef _WIN32
TEST(TextEditor, FullPathReachesTheEditorAsOneArgument) {
  TempDir dir;
  const std::string record = dir.file("arguments");
  const std::string editor = dir.file("editor.sh");
  WriteFileBytes(editor, "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" > '" + record + ".part'\nmv '" +
                             record + ".part' '" + record + "'\n");
  ASSERT_EQ(chmod(editor.c_str(), 0755), 0);

  const std::string file = dir.path() + "fb \"2.5\"; it's here/aliases.conf";
  RecordingDesktop desktop(QString::fromStdString(editor));
  desktop.OpenInTextEditor(QString::fromStdString(file));
  ASSERT_TRUE(QTest::qWaitFor([&] { return FileExists(record); }, 10000));
  EXPECT_EQ(ReadFileBytes(record), "1\n" + file + "\n");
}
#else
TEST(TextEditor, FullPathReachesTheEditorAsOneArgument) {
  TempDir dir;
  const std::string record = dir.file("arguments");
  // The test's stand-in program writes down its arguments.
  SetVariable("PELLISTO_RECORD_ARGUMENTS", record);
  const std::string file = dir.path() + "fb 2.5; it's here\\aliases.conf";
  RecordingDesktop desktop(QString::fromStdString(TestChild()));
  desktop.OpenInTextEditor(QString::fromStdString(file));
  const bool recorded = QTest::qWaitFor([&] { return FileExists(record); }, 10000);
  UnsetVariable("PELLISTO_RECORD_ARGUMENTS");
  ASSERT_TRUE(recorded);
  EXPECT_EQ(ReadFileBytes(record), "1\n" + file + "\n");
}

// A program named without its folder is looked for in the program's own
// folder and in the current one before the system's: anyone who may write
// there could leave a notepad.exe of their own for an administrator to run.
TEST(TextEditor, NotepadIsTheSystemsOwnWhateverTheCurrentFolderHolds) {
  class Launcher : public DesktopServices {
   public:
    using DesktopServices::TextEditorLauncher;
  };
  TempDir dir;
  const QString planted = QString::fromStdString(dir.file("notepad.exe"));
  ASSERT_TRUE(QFile::copy(QString::fromStdString(TestChild()), planted));
  const QString current = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir.path())));
  const QString editor = Launcher().TextEditorLauncher();
  QDir::setCurrent(current);

  EXPECT_TRUE(QFileInfo(editor).isAbsolute()) << editor.toStdString();
  EXPECT_TRUE(editor.endsWith(QStringLiteral("\\notepad.exe"), Qt::CaseInsensitive));
  EXPECT_TRUE(QFileInfo::exists(editor)) << editor.toStdString();
  EXPECT_NE(QFileInfo(editor).canonicalFilePath(), QFileInfo(planted).canonicalFilePath());
}
#endif

}  // namespace
