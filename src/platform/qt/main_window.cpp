#include "platform/qt/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/qt/image_png.h"
#include "platform/qt/key_map.h"
#include "platform/qt/program_icon.h"
#include "resources/main_menu.h"
#include "resources/string_table.h"

namespace ptpdiag {
namespace {

// As high as the status bar of the window system the program came from; the
// footer's link event line sits just above it.
constexpr int kStatusBarHeight = 22;
constexpr std::uint32_t kMenuClosed = 0xFFFF;
constexpr int kOuterWidth = 808;
constexpr int kOuterHeight = 600;

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Local(const QString& text) {
  return text.toLocal8Bit().toStdString();
}

// "Radio Files|*.RAD|All Files|*.*" as Qt writes it.
QString QtFilter(const std::string& filter) {
  const QStringList parts = Latin1(filter).split('|');
  QStringList pairs;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    pairs << parts[i] + " (" + parts[i + 1] + ")";
  }
  return pairs.join(";;");
}

}  // namespace

// The client area: shows the backing image, and turns the mouse and keys
// into messages.
class QtMainWindow::Client final : public QWidget {
 public:
  explicit Client(QtMainWindow& owner) : owner_(owner) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    // Moved to a screen of another density: drawn anew at that density
    // rather than stretched.
    if (devicePixelRatioF() != owner_.image_.devicePixelRatio()) {
      QTimer::singleShot(0, &owner_, [this] { owner_.ResizeClient(size()); });
    }
    owner_.canvas_.Flush();
    QPainter painter(this);
    painter.drawImage(0, 0, owner_.image_);
  }
  void resizeEvent(QResizeEvent* event) override { owner_.ResizeClient(event->size()); }
  void mouseMoveEvent(QMouseEvent* event) override {
    owner_.Deliver(WM_MOUSEMOVE, 0, PointParam(event));
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) owner_.Deliver(WM_LBUTTONDOWN, 0, PointParam(event));
    if (event->button() == Qt::RightButton) owner_.Deliver(WM_RBUTTONDOWN, 0, PointParam(event));
  }
  void keyPressEvent(QKeyEvent* event) override {
    const bool x11 = QGuiApplication::platformName() == "xcb";
    const auto key = VirtualKey({event->key(), event->modifiers(), event->nativeScanCode(), x11});
    if (key) {
      owner_.Deliver(WM_KEYDOWN, *key, 0);
    } else {
      QWidget::keyPressEvent(event);
    }
  }

 private:
  static LPARAM PointParam(const QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    return MakeLParam(static_cast<std::uint32_t>(std::max(p.x(), 0)),
                      static_cast<std::uint32_t>(std::max(p.y(), 0)));
  }

  QtMainWindow& owner_;
};

QtMainWindow::QtMainWindow(int clientWidth, int clientHeight, bool outerSize)
    : image_(clientWidth, clientHeight, QImage::Format_RGB32),
      canvas_(&image_),
      window_(*this, clientWidth, clientHeight, &canvas_),
      menuBar_(new QMenuBar(this)),
      client_(new Client(*this)),
      statusBar_(new QStatusBar(client_)),
      statusNote_(new QLabel(statusBar_)),
      watcher_([this](std::uint32_t message, WPARAM wParam) { Deliver(message, wParam, 1); }),
      outerSize_(outerSize) {
  image_.fill(Qt::white);
  setWindowTitle(Latin1(kProgramCaption));
  setWindowIcon(ProgramIcon());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(menuBar_);
  layout->addWidget(client_);
  client_->setMinimumSize(1, 1);
  statusBar_->setSizeGripEnabled(false);
  statusBar_->addPermanentWidget(statusNote_);
  statusNote_->hide();
  BuildMenu();
  client_->resize(clientWidth, clientHeight);
  resize(clientWidth, clientHeight + menuBar_->sizeHint().height());
  client_->setFocus();
  timer_.setInterval(kTimerMs);
  connect(&timer_, &QTimer::timeout, this, [this] {
    meter_.Tick();
    if (tickHooks_.Before) tickHooks_.Before();
    Deliver(WM_TIMER, 1, 0);
    if (tickHooks_.After && !window_.QuitPosted()) tickHooks_.After();
  });
}

QtMainWindow::~QtMainWindow() = default;

QWidget& QtMainWindow::ClientArea() {
  return *client_;
}

void QtMainWindow::BuildMenu() {
  QMenuBar* rightEnd = nullptr;
  for (std::size_t index = 0; index < MainMenu().size(); ++index) {
    const MenuPopup& popup = MainMenu()[index];
    if (popup.RightEnd && rightEnd == nullptr) {
      rightEnd = new QMenuBar(menuBar_);
      menuBar_->setCornerWidget(rightEnd, Qt::TopRightCorner);
    }
    QMenu* menu = (popup.RightEnd ? rightEnd : menuBar_)->addMenu(Latin1(popup.Title));
    // Opening a pop-up names its position, which has no help text; closing
    // the menu reports identifier 0: both clear the status bar.
    connect(menu, &QMenu::aboutToShow, this, [this, index] {
      Deliver(WM_INITMENUPOPUP, 0, static_cast<LPARAM>(index));
      Deliver(WM_MENUSELECT, static_cast<WPARAM>(index), 0);
    });
    connect(menu, &QMenu::aboutToHide, this,
            [this] { Deliver(WM_MENUSELECT, static_cast<WPARAM>(kMenuClosed) << 16, 0); });
    for (const MenuItem& item : popup.Items) {
      if (item.Id == 0) {
        menu->addSeparator();
        continue;
      }
      QAction* action = menu->addAction(Latin1(item.Text));
      action->setData(item.Id);
      actions_[item.Id] = action;
      const WPARAM id = item.Id;
      connect(action, &QAction::hovered, this, [this, id] { Deliver(WM_MENUSELECT, id, 0); });
      connect(action, &QAction::triggered, this, [this, id] { Deliver(WM_COMMAND, id, 0); });
    }
  }
}

void QtMainWindow::StartTimer() {
  timer_.start();
}

void QtMainWindow::Show() {
  show();
  if (!outerSize_) return;
  // The window's outer size, frame and menu included, once the window
  // system has framed it.
  QTimer::singleShot(0, this, [this] {
    const QSize frame = frameGeometry().size() - size();
    resize(kOuterWidth - frame.width(), kOuterHeight - frame.height());
  });
}

void QtMainWindow::RunSoon(std::function<void()> work) {
  QTimer::singleShot(0, this, [this, work = std::move(work)] {
    work();
    if (window_.QuitPosted()) QCoreApplication::exit(window_.ExitCode());
  });
}

int QtMainWindow::RunLoop() {
  if (window_.QuitPosted()) return window_.ExitCode();
  return QCoreApplication::exec();
}

void QtMainWindow::RunAfter(std::int64_t ms, std::function<void()> work) {
  QTimer::singleShot(static_cast<int>(std::min<std::int64_t>(ms, INT32_MAX)), this,
                     [this, work = std::move(work)] {
                       if (!window_.QuitPosted()) work();
                       if (window_.QuitPosted()) QCoreApplication::exit(window_.ExitCode());
                     });
}

void QtMainWindow::Deliver(std::uint32_t message, WPARAM wParam, LPARAM lParam) {
  if (window_.QuitPosted()) return;
  window_.Send(message, wParam, lParam);
  ShowDrawn();
  if (window_.QuitPosted()) {
    timer_.stop();
    QCoreApplication::exit(window_.ExitCode());
  }
}

void QtMainWindow::ResizeClient(QSize size) {
  if (size.width() <= 0 || size.height() <= 0) return;
  statusBar_->setGeometry(0, size.height() - kStatusBarHeight, size.width(), kStatusBarHeight);
  // The image holds the screen's pixels; the window procedure draws in the
  // widget's own (logical) pixels on it.
  const qreal density = client_->devicePixelRatioF();
  if (size == image_.deviceIndependentSize().toSize() && density == image_.devicePixelRatio()) {
    return;
  }
  canvas_.Flush();
  QImage resized((QSizeF(size) * density).toSize(), QImage::Format_RGB32);
  resized.setDevicePixelRatio(density);
  resized.fill(Qt::white);
  image_ = resized;
  canvas_.SetImage(&image_);
  window_.SetClientSize(size.width(), size.height());
  Deliver(WM_SIZE, 0,
          MakeLParam(static_cast<std::uint32_t>(size.width()),
                     static_cast<std::uint32_t>(size.height())));
  // The class redraws the whole window after every resize.
  window_.InvalidateRect(window_.GetClientRect(), true);
  window_.UpdateWindow();
}

void QtMainWindow::closeEvent(QCloseEvent* event) {
  if (!window_.QuitPosted()) Deliver(WM_CLOSE, 0, 0);
  event->accept();
}

void QtMainWindow::Backing::OnRepainted() {
  owner_.ShowDrawn();
}

void QtMainWindow::ShowDrawn() {
  const QRegion drawn = canvas_.TakeDrawn();
  if (!drawn.isEmpty()) client_->update(drawn);
}

void QtMainWindow::Backing::OnMessageBox(const MessageBoxRecord& box) {
  // Modal: the timer goes on ticking underneath, as it does for any dialog.
  QMessageBox message(QMessageBox::NoIcon, Latin1(box.Caption), Latin1(box.Text), QMessageBox::Ok,
                      &owner_);
  if (!box.Detail.empty()) message.setInformativeText(Latin1(box.Detail));
  message.exec();
}

void QtMainWindow::Backing::OnStatusText(std::string_view text) {
  owner_.statusBar_->showMessage(Latin1(text));
}

void QtMainWindow::Backing::OnStatusNote(std::string_view text) {
  owner_.statusNote_->setText(
      QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())));
  owner_.statusNote_->setVisible(!text.empty());
}

bool QtMainWindow::Backing::OnAskYesNo(const MessageBoxRecord& question) {
  if (!YesNoAnswers.empty()) return BackedWindow::OnAskYesNo(question);
  QMessageBox box(QMessageBox::Question, Latin1(question.Caption),
                  QString::fromLocal8Bit(question.Text.c_str()), QMessageBox::Yes | QMessageBox::No,
                  &owner_);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> QtMainWindow::Backing::OnAskPath(const FilePrompt& prompt, bool save) {
  if (!FileAnswers.empty()) return BackedWindow::OnAskPath(prompt, save);
  QFileDialog dialog(&owner_, Latin1(prompt.Title), QString::fromLocal8Bit(prompt.InitialDir),
                     QtFilter(prompt.Filter));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  dialog.setDefaultSuffix(Latin1(prompt.DefaultExtension));
  dialog.selectFile(QString::fromLocal8Bit(prompt.FileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return Local(dialog.selectedFiles().front());
}

QAction* QtMainWindow::MenuAction(std::uint32_t id) const {
  const auto found = actions_.find(id);
  return found != actions_.end() ? found->second : nullptr;
}

void QtMainWindow::Backing::OnMenuItemState(std::uint32_t id, bool enabled, bool checked) {
  QAction* action = owner_.MenuAction(id);
  if (action == nullptr) return;
  action->setCheckable(checked || action->isCheckable());
  action->setChecked(checked);
  action->setEnabled(enabled);
}

std::optional<std::string> QtMainWindow::Backing::OnSavePicture(const std::string& path) {
  return WriteImagePng(owner_.image_, path);
}

std::optional<std::string> QtMainWindow::Backing::OnOpenUserGuide() {
  const QString installed =
      QCoreApplication::applicationDirPath() + "/" PTPDIAG_GUIDE_FROM_BIN "/index.html";
  const QString source = PTPDIAG_SOURCE_GUIDE "/index.html";
  const QString guide = QFileInfo::exists(installed) ? installed : source;
  if (!QFileInfo::exists(guide)) return "it is not installed at " + installed.toStdString();
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(guide))) {
    return "no web browser opened " + guide.toStdString();
  }
  return std::nullopt;
}

}  // namespace ptpdiag
