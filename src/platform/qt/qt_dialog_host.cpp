#include "platform/qt/qt_dialog_host.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "platform/qt/program_icon.h"
#include "resources/about_box.h"

namespace ptpdiag {
namespace {

constexpr Qt::WindowFlags kDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

QString Latin1(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromLatin1(const QString& text) {
  return text.toLatin1().toStdString();
}

QString Utf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// MulDiv: a * b / c rounded half away from zero.
int MulDiv(int a, int b, int c) {
  const long long product = static_cast<long long>(a) * b;
  const long long half = c / 2;
  return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

// Keys as the platform's dialog keyboard handling gives them: Esc (and a
// close request) sends the command of identifier 2 instead of hiding the
// dialog, Enter goes to the host (QDialog would click whichever button it
// made the default); only EndDialog hides the dialog.
class RuntimeDialog final : public QDialog {
 public:
  RuntimeDialog(std::function<void()> esc, std::function<void()> enter)
      : QDialog(nullptr, kDialogFlags), esc_(std::move(esc)), enter_(std::move(enter)) {}
  void reject() override { esc_(); }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != 0) {
      QDialog::keyPressEvent(event);
      return;
    }
    enter_();
  }

 private:
  std::function<void()> esc_;
  std::function<void()> enter_;
};

// A single-selection list whose selection the user can move but never
// clear (Ctrl+click on the selected item would clear it in Qt).
class ListBox final : public QListWidget {
 public:
  using QListWidget::QListWidget;

 protected:
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event) const override {
    const auto flags = QListWidget::selectionCommand(index, event);
    return flags.testFlag(QItemSelectionModel::Deselect) ? QItemSelectionModel::NoUpdate : flags;
  }
};

// Where a sorted list box puts a new item: after every item that does not
// sort above it, comparing without case.
int SortedRow(const QListWidget& list, const QString& text) {
  int row = list.count();
  while (row > 0 && QString::compare(list.item(row - 1)->text(), text, Qt::CaseInsensitive) > 0)
    --row;
  return row;
}

void FillList(QListWidget& list, const std::vector<std::string>& items) {
  const bool sorted = list.property("sorted").toBool();
  for (const std::string& item : items) {
    if (item.empty()) break;
    const QString text = Latin1(item);
    list.insertItem(sorted ? SortedRow(list, text) : list.count(), text);
  }
}

void CentreOn(QWidget& window, const QScreen* screen) {
  if (screen == nullptr) return;
  QRect frame(QPoint(0, 0), window.size());
  frame.moveCenter(screen->availableGeometry().center());
  window.move(frame.topLeft());
}

// A one-line text at `rect`, widened to its text: a font wider than the
// original's must not cut the line off.
QLabel* AddLabel(QDialog& dialog, const QString& text, const QRect& rect) {
  auto* label = new QLabel(text, &dialog);
  label->setGeometry(rect);
  label->resize(std::max(rect.width(), label->sizeHint().width()), rect.height());
  return label;
}

// The About box's texts, icon and OK button on its 192 x 68 units, the box
// widened (keeping its right margin) when a text needs more room.
void BuildAbout(QDialog& about) {
  const DialogBaseUnits units = BaseUnits(about.font());
  const auto map = [units](int x, int y, int w, int h) {
    return MapDialogRect(QRect(x, y, w, h), units);
  };
  QSize size = map(0, 0, 192, 68).size();
  const int rightMargin = size.width() - map(48, 17, 130, 8).right();
  int y = 17;
  for (const std::string_view line : kAboutLines) {
    const QLabel* label = AddLabel(about, Latin1(std::string(line)), map(48, y, 130, 8));
    size.setWidth(std::max(size.width(), label->geometry().right() + rightMargin));
    y += 9;
  }
  about.setFixedSize(size);
  QLabel* icon = AddLabel(about, QString(), map(14, 15, 18, 20));
  icon->setPixmap(ProgramIcon().pixmap(32, 32));
  icon->resize(32, 32);  // an icon control takes the icon's size
  auto* ok = new QPushButton(QStringLiteral("&OK"), &about);
  QRect okRect = map(75, 46, 40, 14);
  okRect.moveLeft((size.width() - okRect.width()) / 2);  // centred, as on 192 units
  ok->setGeometry(okRect);
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, &about, [&about] { about.done(1); });
}

}  // namespace

DialogBaseUnits BaseUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {(letters + 26) / 52, metrics.height()};
}

QRect MapDialogRect(const QRect& dialogUnits, DialogBaseUnits units) {
  const int left = MulDiv(dialogUnits.x(), units.X, 4);
  const int top = MulDiv(dialogUnits.y(), units.Y, 8);
  const int right = MulDiv(dialogUnits.x() + dialogUnits.width(), units.X, 4);
  const int bottom = MulDiv(dialogUnits.y() + dialogUnits.height(), units.Y, 8);
  return {left, top, right - left, bottom - top};
}

QFont DialogFont() {
  QFont font = QApplication::font();
  font.setPointSize(8);
  return font;
}

struct QtDialogHost::Dialog {
  QPointer<RuntimeDialog> Window;
  DialogBaseUnits Units;
  std::map<int, QPointer<QWidget>> Controls;
  std::map<int, ControlCallback> Callbacks;
  QPointer<QWidget> FirstTabStop;
  int DefaultId = kIdOk;  // what Enter sends when no push button has the focus
  QEventLoop* Loop = nullptr;
  bool Ended = false;
  int Result = 0;
};

QtDialogHost::QtDialogHost(QWidget* mainWindow, int aboutTimeoutMs)
    : mainWindow_(mainWindow), aboutTimeoutMs_(aboutTimeoutMs) {}

QtDialogHost::~QtDialogHost() {
  for (auto& [id, dialog] : dialogs_)
    delete dialog->Window;
}

QtDialogHost::Dialog* QtDialogHost::Find(DialogId dialog) const {
  const auto found = dialogs_.find(dialog);
  return found == dialogs_.end() ? nullptr : found->second.get();
}

QDialog* QtDialogHost::Widget(DialogId dialog) const {
  const Dialog* d = Find(dialog);
  return d == nullptr || d->Ended ? nullptr : d->Window.data();
}

QWidget* QtDialogHost::Control(DialogId dialog, int controlId) const {
  const Dialog* d = Find(dialog);
  if (d == nullptr || d->Ended) return nullptr;
  const auto found = d->Controls.find(controlId);
  return found == d->Controls.end() ? nullptr : found->second.data();
}

DialogId QtDialogHost::NewDialog(const std::string& caption, int width, int height) {
  const DialogId id = nextId_++;
  auto dialog = std::make_unique<Dialog>();
  dialog->Window = new RuntimeDialog([this, id] { Command(id, kIdCancel, 0); },
                                     [this, id] { EnterPressed(id); });
  dialog->Window->setWindowTitle(Latin1(caption));
  dialog->Window->setFont(DialogFont());
  dialog->Units = BaseUnits(dialog->Window->font());
  dialog->Window->setFixedSize(MapDialogRect(QRect(0, 0, width, height), dialog->Units).size());
  dialogs_.emplace(id, std::move(dialog));
  return id;
}

void QtDialogHost::AddControl(DialogId dialog, const ControlPlan& control) {
  Dialog* d = Find(dialog);
  if (d == nullptr || d->Ended) return;
  QWidget* widget = MakeControl(dialog, control, d->Window);
  widget->setGeometry(
      MapDialogRect(QRect(control.X, control.Y, control.Width, control.Height), d->Units));
  d->Controls[control.Id] = widget;
  if (control.Callback) d->Callbacks[control.Id] = control.Callback;
  if (control.Kind == ControlKind::DefaultPushButton) d->DefaultId = control.Id;
  if (d->FirstTabStop == nullptr && widget->focusPolicy() & Qt::TabFocus) d->FirstTabStop = widget;
}

QWidget* QtDialogHost::MakeControl(DialogId dialog, const ControlPlan& control, QWidget* parent) {
  const int id = control.Id;
  switch (control.Kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton: {
      auto* button = new QPushButton(Latin1(control.Text), parent);
      button->setAutoDefault(false);  // Enter is handled by the dialog
      if (control.Kind == ControlKind::DefaultPushButton) {
        button->setDefault(true);
        button->setFocusPolicy(Qt::ClickFocus);  // not a tab stop
      }
      QObject::connect(button, &QPushButton::clicked, button,
                       [this, dialog, id] { Command(dialog, id, 0); });
      return button;
    }
    case ControlKind::TextBox:
      return new QLineEdit(Latin1(control.Text), parent);
    case ControlKind::FreeTextBox: {
      auto* edit = new QLineEdit(Utf8(control.Text), parent);
      edit->setProperty("utf8", true);
      return edit;
    }
    case ControlKind::Label:
      return new QLabel(Utf8(control.Text), parent);
    case ControlKind::ListBox: {
      auto* list = new ListBox(parent);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      list->setProperty("sorted", control.Sorted);
      FillList(*list, control.Items);
      QObject::connect(list, &QListWidget::itemSelectionChanged, list,
                       [this, dialog, id] { Command(dialog, id, 1); });
      QObject::connect(list, &QListWidget::itemDoubleClicked, list,
                       [this, dialog, id] { Command(dialog, id, 2); });
      return list;
    }
  }
  return new QWidget(parent);
}

void QtDialogHost::Command(DialogId dialog, int controlId, int notification) {
  const Dialog* d = Find(dialog);
  if (d == nullptr || d->Ended) return;
  const auto found = d->Callbacks.find(controlId);
  if (found == d->Callbacks.end()) return;
  // A copy: the callback may end the dialog while it runs.
  const ControlCallback callback = found->second;
  callback(dialog, notification);
}

void QtDialogHost::EnterPressed(DialogId dialog) {
  const Dialog* d = Find(dialog);
  if (d == nullptr || d->Ended) return;
  int id = d->DefaultId;
  const QWidget* focus = d->Window->focusWidget();
  for (const auto& [controlId, widget] : d->Controls) {
    if (widget == focus && qobject_cast<const QPushButton*>(focus) != nullptr) id = controlId;
  }
  Command(dialog, id, 0);
}

void QtDialogHost::SelectListItem(DialogId dialog, int controlId, int number) {
  auto* list = qobject_cast<QListWidget*>(Control(dialog, controlId));
  if (list == nullptr) return;
  // Not the user's doing: no notification.
  const QSignalBlocker blocker(list);
  if (number >= 1 && number <= list->count()) {
    list->setCurrentRow(number - 1);
  } else {
    list->setCurrentRow(-1);
    list->clearSelection();
  }
}

std::string QtDialogHost::GetListText(DialogId dialog, int controlId) {
  auto* list = qobject_cast<QListWidget*>(Control(dialog, controlId));
  if (list == nullptr) return {};
  const QList<QListWidgetItem*> selected = list->selectedItems();
  return selected.isEmpty() ? std::string() : FromLatin1(selected.front()->text());
}

std::string QtDialogHost::GetText(DialogId dialog, int controlId) {
  QWidget* control = Control(dialog, controlId);
  if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    return edit->property("utf8").toBool() ? edit->text().toUtf8().toStdString()
                                           : FromLatin1(edit->text());
  }
  if (auto* button = qobject_cast<QPushButton*>(control)) return FromLatin1(button->text());
  return {};
}

void QtDialogHost::SetListItems(DialogId dialog, int controlId,
                                const std::vector<std::string>& items) {
  auto* list = qobject_cast<QListWidget*>(Control(dialog, controlId));
  if (list == nullptr) return;
  const QSignalBlocker blocker(list);
  list->clear();
  FillList(*list, items);
}

void QtDialogHost::Show(Dialog& d) {
  CentreOn(*d.Window, QGuiApplication::primaryScreen());
  d.Window->show();
  d.Window->activateWindow();
  // The first tab stop gets the focus; a text box's text comes selected.
  if (d.FirstTabStop != nullptr) d.FirstTabStop->setFocus(Qt::TabFocusReason);
  if (auto* edit = qobject_cast<QLineEdit*>(d.FirstTabStop.data())) edit->selectAll();
}

int QtDialogHost::ShowModal(DialogId dialog) {
  Dialog* d = Find(dialog);
  if (d == nullptr) return 0;
  if (!d->Ended) {
    Show(*d);
    QEventLoop loop;
    d->Loop = &loop;
    loop.exec();
    d->Loop = nullptr;
    // The loop also ends when the application quits: that counts as cancel.
    if (!d->Ended) EndDialog(dialog, 0);
  }
  const int result = d->Result;
  dialogs_.erase(dialog);
  return result;
}

void QtDialogHost::EndDialog(DialogId dialog, int result) {
  Dialog* d = Find(dialog);
  if (d == nullptr || d->Ended) return;
  d->Ended = true;
  d->Result = result;
  if (d->Window != nullptr) {
    d->Window->hide();
    // Often called from one of the dialog's own signal handlers.
    d->Window->deleteLater();
  }
  if (d->Loop != nullptr) d->Loop->quit();
}

void QtDialogHost::ShowAbout() {
  QDialog about(mainWindow_, kDialogFlags);
  about.setWindowTitle(Latin1(std::string(kAboutCaption)));
  BuildAbout(about);
  // The timer is the dialog's child, so it ends with it.
  auto* timer = new QTimer(&about);
  timer->setSingleShot(true);
  QObject::connect(timer, &QTimer::timeout, &about, [&about] { about.done(1); });
  timer->start(aboutTimeoutMs_);
  CentreOn(about,
           mainWindow_ != nullptr ? mainWindow_->screen() : QGuiApplication::primaryScreen());
  lastAboutResult_ = about.exec();
}

}  // namespace ptpdiag
