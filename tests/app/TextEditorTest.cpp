// The real launcher of the text editor: the file travels as one argument of
// a program started directly, so no name is split or read by a shell, and
// nothing waits for the editor.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTest>

#include "app/PlatformServices.h"
#include "support/TempDir.h"

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

}  // namespace
