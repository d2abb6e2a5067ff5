#include "ui/main/MainFrm.h"

#include "ui_MainFrm.h"

TMainFrm::TMainFrm(QWidget* parent) : QMainWindow(parent), ui(new Ui::TMainFrm) {
  ui->setupUi(this);
  SetUpLayout();
}

TMainFrm::~TMainFrm() = default;
