#include "ui/main/OtherParametersPage.h"

#include <QApplication>
#include <algorithm>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "app/DesignedColours.h"
#include "app/Functions.h"
#include "config/format/ConfReading.h"
#include "config/document/SettingValues.h"
#include "config/document/ShownValues.h"
#include "config/document/TVantrel.h"
#include "i18n/Gettext.h"
#include "ui/widgets/ElidingComboBox.h"
#include "ui/main/OptionsNavigator.h"
#include "ui/widgets/PageScrollArea.h"
#include "ui/widgets/WrapLabel.h"

namespace {

using Status = OtherParameter::Status;

const char* const kPageCaption = N_("Other parameters");

// Editors of texts and lists have one width, so that the values line up.
constexpr int kEditorWidth = 150;

QString Name(const OtherParameter& p) { return FromDoc(p.name); }

QString VersionText(ServerVersion v) { return QString::fromLatin1(VersionName(v)); }

// Why the server ignores a row's line, for its tooltip.
QString IgnoredBecause(const OtherParameter& p, ServerVersion v) {
  if (!p.notRead)
    return i18n::Translate(N_("No Firebird version knows %1: the server ignores this line.")).arg(Name(p));
  return i18n::Translate(p.notRead->removed ? N_("Firebird %1 does not read %2: it was removed in %3.")
                                            : N_("Firebird %1 does not read %2: it was added in %3."))
      .arg(VersionText(v), Name(p), VersionText(p.notRead->in));
}

// An edit box of a row, named after its parameter, shown from its start.
QLineEdit* NewEdit(const OtherParameter& p, const std::string& text, QWidget* parent) {
  auto* edit = new QLineEdit(FromDoc(text), parent);
  edit->setObjectName(QStringLiteral("ed") + Name(p));
  edit->setFixedWidth(kEditorWidth);
  edit->home(false);
  return edit;
}

// A value wraps at its blanks, not after the "/" of a path (the window's
// labels keep paths whole the same way).
QString WholePaths(QString text) {
  const QChar wordJoiner(0x2060);
  for (qsizetype at = text.indexOf(QLatin1Char('/')); at >= 0 && at + 1 < text.size();
       at = text.indexOf(QLatin1Char('/'), at + 1))
    if (!text[at + 1].isSpace() && text[at + 1] != wordJoiner) text.insert(at + 1, wordJoiner);
  return text;
}

void MarkCurrent(QLabel* label, bool current) {
  label->setAutoFillBackground(current);
  label->setBackgroundRole(current ? QPalette::Highlight : QPalette::Window);
  label->setForegroundRole(current ? QPalette::HighlightedText : QPalette::WindowText);
}

}  // namespace

OtherParametersPage::OtherParametersPage(QWidget* window, QTabWidget* pages, OptionsNavigator* navigator,
                                         std::function<TVantrel*()> document)
    : QObject(window), window_(window), pages_(pages), navigator_(navigator), document_(std::move(document)) {
  // The comment follows the row being edited (and the row found, once the
  // search hands it the focus: while the user types, the comment keeps still).
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (const int row = RowOf(now); row >= 0) SetCurrentRow(row);
  });
  // The rows come when the page first comes to the front.
  connect(pages_, &QTabWidget::currentChanged, this, [this](int index) {
    if (page_ && pages_->widget(index) == page_) BuildRows();
  });
}

QWidget* OtherParametersPage::Page() const {
  return page_ && pages_->indexOf(page_) >= 0 ? page_ : nullptr;
}

std::vector<QWidget*> OtherParametersPage::Editors() const {
  std::vector<QWidget*> editors;
  for (const Row& row : rows_) editors.push_back(row.editor);
  return editors;
}

void OtherParametersPage::BuildPage() {
  auto* layout = new QVBoxLayout(page_);
  layout->setContentsMargins(3, 3, 3, 3);
  layout->setSpacing(3);

  // The column titles stand above the rows and stay there while the rows
  // scroll; each stands over its column (PlaceHeader).
  header_ = new QWidget(page_);
  header_->setObjectName(QStringLiteral("OtherParametersHeader"));
  for (const char* heading : {N_("Parameter"), N_("Server uses"), N_("Value")})
    headings_.push_back(new QLabel(i18n::Translate(heading), header_));
  header_->setFixedHeight(headings_.front()->sizeHint().height());
  layout->addWidget(header_);

  scroll_ = new TPageScrollArea(page_);
  scroll_->setObjectName(QStringLiteral("ScrollOtherParameters"));
  scroll_->setFocusPolicy(Qt::NoFocus);
  scroll_->setWidgetResizable(true);
  layout->addWidget(scroll_, 3);

  commentTitle_ = new TWrapLabel(page_);
  commentTitle_->setObjectName(QStringLiteral("lblOtherParameterComment"));
  commentTitle_->setWordWrap(true);
  layout->addWidget(commentTitle_);

  // The file's own lines, as they stand there: unwrapped and in a fixed
  // face, so that their columns and drawings keep their shape.
  comment_ = new QPlainTextEdit(page_);
  comment_->setObjectName(QStringLiteral("MOtherParameterComment"));
  comment_->setReadOnly(true);
  comment_->setTabChangesFocus(true);
  comment_->setLineWrapMode(QPlainTextEdit::NoWrap);
  comment_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  // Where the system names no fixed face that is there (a bare X server),
  // the first installed one.
  if (!QFontInfo(fixed).fixedPitch()) {
    for (const QString& family : QFontDatabase::families()) {
      if (QFontDatabase::isFixedPitch(family)) {
        fixed = QFont(family);
        break;
      }
    }
  }
  fixed.setPointSizeF(window_->font().pointSizeF());
  comment_->setFont(fixed);
  layout->addWidget(comment_, 2);
}

void OtherParametersPage::ClearRows() {
  rows_.clear();
  current_ = -1;
  if (scroll_) delete scroll_->takeWidget();
}

void OtherParametersPage::Load() {
  TVantrel* document = document_();
  std::vector<OtherParameter> parameters;
  if (document) {
    version_ = document->Version();
    parameters = OtherParametersOf(*document);
  }
  ClearRows();
  parameters_ = std::move(parameters);
  if (parameters_.empty()) {
    if (Page()) pages_->removeTab(pages_->indexOf(page_));
    navigator_->SetAddedPage({}, {});
    return;
  }
  if (!page_) {
    page_ = new QWidget;
    page_->setObjectName(QStringLiteral("TSOtherParameters"));
  }
  std::vector<QString> names;
  for (const OtherParameter& p : parameters_) names.push_back(Name(p));
  if (!Page()) pages_->addTab(page_, i18n::Translate(kPageCaption));
  navigator_->SetAddedPage(i18n::Translate(kPageCaption), names);
  // The rows come when the page is first shown, or sought (BuildRows).
  if (pages_->currentWidget() == page_) BuildRows();
}

void OtherParametersPage::BuildRows() {
  if (parameters_.empty() || !rows_.empty()) return;
  // Filled while hidden: shown again, it shows its rows at once.
  const bool onShow = page_->isVisible();
  if (onShow) page_->hide();
  if (!scroll_) BuildPage();
  QWidget* content = NewContent();
  std::vector<QWidget*> editors;
  for (const OtherParameter& p : parameters_) editors.push_back(AddRow(p, content));
  OrderFocus();
  navigator_->SetAddedControls(editors);
  SetCurrentRow(0);
  if (onShow) page_->show();
  // Brought to the front while empty, the page took the focus: it goes on
  // to the first row.
  if (page_->window()->focusWidget() == page_) rows_.front().editor->setFocus();
}

QWidget* OtherParametersPage::NewContent() {
  auto* content = new QWidget;
  content->setObjectName(QStringLiteral("PageContentOtherParameters"));
  auto* outer = new QVBoxLayout(content);
  outer->setContentsMargins(3, 3, 3, 3);
  grid_ = new QGridLayout;
  grid_->setHorizontalSpacing(8);
  grid_->setVerticalSpacing(2);
  // Room beyond what the rows need goes half to the values and half after
  // the editors, so that one short row keeps its editor beside its value
  // rather than at the far edge.
  grid_->setColumnStretch(1, 1);
  grid_->setColumnStretch(3, 1);
  outer->addLayout(grid_);
  outer->addStretch(1);
  // In place first: the rows are then born with the window's font and style.
  scroll_->setWidget(content);
  content->installEventFilter(this);
  // Rows of check boxes as tall as those of edit boxes, so that all rows
  // are alike.
  QLineEdit probe;
  probe.setFont(content->font());
  rowHeight_ = probe.sizeHint().height();
  return content;
}

QWidget* OtherParametersPage::AddRow(const OtherParameter& p, QWidget* content) {
  const int at = static_cast<int>(rows_.size()) + 1;
  auto* name = new QLabel(Name(p), content);
  // Apart from the window's own labels, whatever name the file uses.
  name->setObjectName(QStringLiteral("lblOther") + Name(p));
  name->setMargin(1);
  auto* value = new TWrapLabel(WholePaths(ServerValueText(p)), content);
  value->setObjectName(QStringLiteral("lblOther") + Name(p) + QStringLiteral("Value"));
  value->setWordWrap(true);
  QWidget* editor = MakeEditor(p, content);
  editor->setAccessibleName(Name(p));
  // Up and Down go from row to row (a list keeps them for its items).
  if (!qobject_cast<QComboBox*>(editor)) editor->installEventFilter(this);
  grid_->addWidget(name, at, 0);
  grid_->addWidget(value, at, 1);
  grid_->addWidget(editor, at, 2, Qt::AlignLeft);
  grid_->setRowMinimumHeight(at, rowHeight_);
  // A click on the name or value goes to the row's editor.
  name->installEventFilter(this);
  value->installEventFilter(this);
  rows_.push_back({p, name, value, editor});
  return editor;
}

// The keyboard goes through the rows in their order, then the comment,
// right after the other pages' controls and before the buttons below.
void OtherParametersPage::OrderFocus() {
  QWidget* before = pages_;
  // (Only a control that takes the focus can have one put after it; the
  // pages built later put theirs before the rows.)
  for (QWidget* w = window_->nextInFocusChain(); w != window_; w = w->nextInFocusChain())
    if (pages_->isAncestorOf(w) && w != page_ && !page_->isAncestorOf(w) && w->focusPolicy() != Qt::NoFocus) before = w;
  for (const Row& row : rows_) {
    QWidget::setTabOrder(before, row.editor);
    before = row.editor;
  }
  QWidget::setTabOrder(before, comment_);
}

QWidget* OtherParametersPage::MakeEditor(const OtherParameter& p, QWidget* parent) {
  if (p.status != Status::Editable) return MakeIgnoredEdit(p, parent);
  const SettingId id = *p.id;
  // A commented line (on 2.x also an empty value) shows the built-in value,
  // as on the other pages.
  const DecodedValue decoded = Decode(p.value);
  const std::string shown = ShowsDefault(decoded, version_) ? p.defaultValue : std::string(decoded.text);
  switch (SettingInfoOf(id).kind) {
    case SettingKind::Boolean:
      return MakeCheckBox(p, shown, parent);
    case SettingKind::Keyword:
      return MakeList(p, shown, parent);
    default: {
      QLineEdit* edit = NewEdit(p, shown, parent);
      connect(edit, &QLineEdit::textEdited, this,
              [this, id](const QString& text) { Write(id, ToDoc(text)); });
      return edit;
    }
  }
}

// The server ignores the line: shown as it stands, not to be changed.
QWidget* OtherParametersPage::MakeIgnoredEdit(const OtherParameter& p, QWidget* parent) {
  QLineEdit* edit = NewEdit(p, p.value, parent);
  edit->setReadOnly(true);
  SetFieldColour(edit, ReadOnlyFieldColour(edit->palette()));
  edit->setToolTip(IgnoredBecause(p, version_));
  return edit;
}

QWidget* OtherParametersPage::MakeCheckBox(const OtherParameter& p, const std::string& shown, QWidget* parent) {
  const SettingId id = *p.id;
  const bool v2 = GenerationOf(version_) == Generation::V2;
  auto* box = new QCheckBox(parent);
  box->setObjectName(QStringLiteral("CB") + Name(p));
  box->setChecked(ServerValueIsOn(ServerValueOf(id, shown, version_)));
  // Written in the words the version reads.
  connect(box, &QCheckBox::clicked, this, [this, id, v2](bool on) {
    Write(id, on ? (v2 ? "1" : "true") : (v2 ? "0" : "false"));
  });
  return box;
}

QWidget* OtherParametersPage::MakeList(const OtherParameter& p, const std::string& shown, QWidget* parent) {
  const SettingId id = *p.id;
  auto* list = new TElidingComboBox(parent);
  list->setObjectName(QStringLiteral("CB") + Name(p));
  list->setFixedWidth(kEditorWidth);
  list->setFocusPolicy(Qt::StrongFocus);
  // A keyword with no built-in value may stay unset.
  if (DefaultOf(id, version_).empty()) list->addItem(i18n::Translate(N_("(not set)")), QString());
  for (std::string_view keyword : SettingInfoOf(id).keywords)
    list->addItem(QString::fromLatin1(keyword), QString::fromLatin1(keyword));
  const auto keyword = KeywordOf(id, shown, version_);
  list->setCurrentIndex(keyword          ? list->findData(QString::fromLatin1(*keyword))
                        : shown.empty() ? list->findData(QString())
                                        : -1);
  // Only a choice of the user's writes; the wheel never chooses.
  list->installEventFilter(this);
  connect(list, &QComboBox::activated, this,
          [this, id, list](int index) { Write(id, ToDoc(list->itemData(index).toString())); });
  return list;
}

QString OtherParametersPage::ServerValueText(const OtherParameter& p) const {
  if (p.status == Status::Unknown) return i18n::Translate(N_("unknown name, ignored"));
  if (p.status == Status::NotRead)
    return i18n::Translate(N_("ignored by Firebird %1")).arg(VersionText(version_));
  const QString value =
      p.serverValue.empty() ? i18n::Translate(N_("empty")) : FromDoc(p.serverValue);
  return p.usesDefault ? i18n::Translate(N_("%1 (default)")).arg(value) : value;
}

void OtherParametersPage::ShowServerValues() {
  TVantrel* document = document_();
  if (!document) return;
  // Rows not built yet show the values when they are.
  if (rows_.empty()) return parameters_.empty() ? void() : Load();
  std::vector<OtherParameter> parameters = OtherParametersOf(*document);
  bool same = parameters.size() == rows_.size();
  for (std::size_t i = 0; same && i < rows_.size(); ++i)
    same = parameters[i].name == rows_[i].parameter.name && parameters[i].status == rows_[i].parameter.status;
  if (!same) return Load();
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    rows_[i].parameter = std::move(parameters[i]);
    rows_[i].value->setText(WholePaths(ServerValueText(rows_[i].parameter)));
  }
  SetCurrentRow(current_);
}

void OtherParametersPage::Write(SettingId id, const std::string& value) {
  TVantrel* document = document_();
  if (!document) return;
  // A value the server reads as it reads the file's is no change: nothing
  // is written for it, and taking a change back leaves nothing pending. A
  // value the server would misread stays pending, so that Apply names it.
  const auto row = std::find_if(rows_.begin(), rows_.end(), [id](const Row& r) { return r.parameter.id == id; });
  if (row != rows_.end() && row->parameter.status == Status::Editable && !WriteProblem(id, value, version_) &&
      !NumberWidthProblem(id, value, version_) && ServerValueOf(id, value, version_) == row->parameter.serverValue)
    document->WithdrawChange(id);
  else
    document->SetValueOf(id, value);
  if (SettingInfoOf(id).name == "ServerMode") emit ServerModeChanged();
}

int OtherParametersPage::RowOf(const QWidget* widget) const {
  if (!widget) return -1;
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].editor == widget || rows_[i].editor->isAncestorOf(widget)) return static_cast<int>(i);
  return -1;
}

void OtherParametersPage::SetCurrentRow(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return;
  if (current_ >= 0 && current_ != row) MarkCurrent(rows_[static_cast<std::size_t>(current_)].name, false);
  current_ = row;
  const Row& r = rows_[static_cast<std::size_t>(row)];
  MarkCurrent(r.name, true);
  const QString line = QString::number(r.parameter.line + 1);
  QString text;
  for (const std::string& l : r.parameter.comment) text += FromDoc(l) + QLatin1Char('\n');
  text.chop(1);
  commentTitle_->setText(
      r.parameter.comment.empty()
          ? i18n::Translate(N_("No comment stands above %1 in firebird.conf (line %2).")).arg(Name(r.parameter), line)
          : i18n::Translate(N_("The comment above %1 in firebird.conf (line %2):")).arg(Name(r.parameter), line));
  comment_->setPlainText(text);
}
