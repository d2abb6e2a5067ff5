#include "ui/about/About.h"

#include "app/DesignedColours.h"
#include "app/FixedDialog.h"
#include "app/Functions.h"
#include "ui/widgets/LinkLabel.h"
#include "app/PlatformServices.h"
#include "app/WindowFont.h"
#include "ui_About.h"

namespace {
constexpr int kClientWidth = 535;
constexpr int kClientHeight = 374;
constexpr int kDonateFontPixels = 16;
}  // namespace

const QString TAboutFrm::kAuthor = QStringLiteral("the Pellisto developers");
// Short enough that the third line of the thanks holds it between its texts.
const QString TAboutFrm::kCommunity = QStringLiteral("Firebird");

TAboutFrm::TAboutFrm(QWidget* parent) : QDialog(parent), ui(new Ui::TAboutFrm) {
  ui->setupUi(this);
  setFont(WindowFont());

  SetTextColour(ui->lblAboutNote2, WarningColour(palette()));
  QFont bold = ui->lblAboutNote2->font();
  bold.setBold(true);
  ui->lblAboutNote2->setFont(bold);
  bold.setPixelSize(kDonateFontPixels);
  ui->lblDonate->setFont(bold);

  ui->GBCreatedBy->setTitle(QStringLiteral("Pellisto - Created by ") + kAuthor);
  ui->Label8->setText(FirebirdDocPage());
  ui->Label2->setText(ContactAddress());
  ui->Label12->setText(kCommunity + QLatin1Char(','));
  // Links are for the mouse here: Enter or Space in the box must never open
  // one by surprise (the box has no button to hold the focus).
  for (LinkLabel* link : findChildren<LinkLabel*>()) link->setFocusPolicy(Qt::NoFocus);

  connect(ui->Label8, &LinkLabel::clicked, this, [] { OpenLink(FirebirdDocPage()); });
  connect(ui->Label10, &LinkLabel::clicked, this, [] { OpenLink(PdlPage()); });
  connect(ui->Label2, &LinkLabel::clicked, this, &TAboutFrm::Label2Click);
  connect(ui->Label4, &LinkLabel::clicked, this, [] { OpenLink(ProductPage()); });
  connect(ui->Label13, &LinkLabel::clicked, this, [] { OpenLink(FirebirdDocPage()); });
  connect(ui->Label12, &LinkLabel::clicked, this, [] { OpenLink(CommunityForum()); });
  connect(ui->lblDonate, &LinkLabel::clicked, this, [] { OpenLink(DonatePage()); });
  FormCreate();
  SetFixedDialogFrame(*this, QSize(kClientWidth, kClientHeight));
}

TAboutFrm::~TAboutFrm() = default;

void TAboutFrm::FormCreate() {
  // The version of the executable that is running, read from the file.
  ui->GBAbout->setTitle(QStringLiteral("About Pellisto ") +
                        ReadFileVersion(Platform().ExecutablePath()));
}

void TAboutFrm::Label2Click() {
  Platform().OpenUrl(QStringLiteral("mailto:") + ui->Label2->text());
}
