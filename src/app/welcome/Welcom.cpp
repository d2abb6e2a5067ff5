#include "app/welcome/Welcom.h"

#include <QFileInfo>
#include <stdexcept>

#include "app/ErrorBox.h"
#include "app/FixedDialog.h"
#include "app/Functions.h"
#include "app/PlatformServices.h"
#include "app/WindowFont.h"
#include "i18n/Gettext.h"
#include "ui_Welcom.h"

TWelcomeFrm::TWelcomeFrm(QWidget* parent) : QDialog(parent), ui(new Ui::TWelcomeFrm) {
  ui->setupUi(this);
  connect(ui->SBFirebirdInstall, &QToolButton::clicked, this, &TWelcomeFrm::SBFirebirdInstallClick);
  connect(ui->CBVerifyAlways, &QCheckBox::clicked, this, &TWelcomeFrm::CBVerifyAlwaysClick);
  connect(ui->Button1, &QPushButton::clicked, this, &TWelcomeFrm::Button1Click);
  connect(ui->Button2, &QPushButton::clicked, this, &TWelcomeFrm::Button2Click);
  FormCreate();
}

TWelcomeFrm::~TWelcomeFrm() = default;

QString TWelcomeFrm::RootDirectory() const { return ui->edRootDirectory->text(); }

void TWelcomeFrm::FormCreate() {
  i18n::TranslateComponent(this);

  setFont(WindowFont());
  QFont heading = ui->Label2->font();
  heading.setBold(true);
  heading.setPixelSize(15);
  ui->Label2->setFont(heading);
  SetFixedDialogFrame(*this, QSize(341, 158));

  ReadDefaultInstance();
  // Starts cleared; this is no click and writes nothing.
  ui->CBVerifyAlways->setChecked(false);
  ui->edRootDirectory->setFocus();
}

void TWelcomeFrm::ReadDefaultInstance() {
  ui->edRootDirectory->setText(Platform().RegisteredFirebirdFolder());
}

void TWelcomeFrm::SBFirebirdInstallClick() {
  const QString folder = ChooseFolder(this);
  if (folder.isEmpty()) return;
  ui->edRootDirectory->setText(AbsoluteFolder(folder));
}

void TWelcomeFrm::CBVerifyAlwaysClick() {
  RunGuarded([this] { WriteAlwaysCheckUpdate(ui->CBVerifyAlways->isChecked()); }, this);
}

void TWelcomeFrm::SaveInstallPath() {
  const QString typed = ui->edRootDirectory->text();
  // A folder typed without its final separator is the same folder, and a
  // relative one is saved from the current directory, so that a start from
  // elsewhere finds it. An empty box names no folder at all: accepting it
  // would leave "Path" empty and the editor on whatever firebird.conf the
  // current directory holds.
  const QString folder = AbsoluteFolder(typed);
  if (folder.isEmpty() || !QFileInfo(folder + QStringLiteral("firebird.conf")).isFile())
    throw std::runtime_error(ToDoc(QStringLiteral("File not found firebird.conf in ") + typed));
  WriteInstallPath(folder);
  ui->edRootDirectory->setText(folder);
}

void TWelcomeFrm::Button1Click() {
  if (RunGuarded([this] { SaveInstallPath(); }, this)) accept();
}

void TWelcomeFrm::Button2Click() { reject(); }
