// SPDX-License-Identifier: GPL-3.0-or-later
// Connects the controls and timers to their handlers: check boxes on every
// change of state (a click, or the settings load setting them), edits on
// every change of text and on losing the focus.
#include <QEvent>
#include <QFocusEvent>
#include <QObject>
#include <functional>

#include "ui/tessivar_form.h"

namespace halvoric {

namespace {

// Runs a handler when the focus leaves its widget for another control. The
// field's own context menu is no leaving: the user is still in the field.
// Nor is the window losing the focus to another program or a message box,
// unless the user edited the text since the handler last ran: a value typed and then
// left by hiding the window to the tray must still take effect, but merely
// switching programs must not journal the same text again and again.
class FocusOutFilter : public QObject {
 public:
  FocusOutFilter(QObject* parent, std::function<void()> onExit)
      : QObject(parent), onExit_(std::move(onExit)) {}

  void TextEdited() { edited_ = true; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::FocusOut) {
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      const bool leaving =
          reason == Qt::ActiveWindowFocusReason ? edited_ : reason != Qt::PopupFocusReason;
      if (leaving) {
        // Cleared first: the handler may raise a message box, whose taking
        // the focus must not run it again.
        edited_ = false;
        onExit_();
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> onExit_;
  bool edited_ = false;
};

}  // namespace

void TTessivar_Form::ConnectBox(QCheckBox* box, void (TTessivar_Form::*changed)()) {
  connect(box, &QCheckBox::toggled, this, [this, changed] { (this->*changed)(); });
}

void TTessivar_Form::ConnectField(QLineEdit* field, void (TTessivar_Form::*changed)(),
                                  void (TTessivar_Form::*left)()) {
  connect(field, &QLineEdit::textChanged, this, [this, changed] { (this->*changed)(); });
  auto* filter = new FocusOutFilter(field, [this, left] { (this->*left)(); });
  // Typing only: texts the program sets (the settings load) are no edit.
  connect(field, &QLineEdit::textEdited, filter, &FocusOutFilter::TextEdited);
  field->installEventFilter(filter);
  focusFilters_.push_back(filter);
}

void TTessivar_Form::ConnectHandlers() {
  connect(Main_PageControl, &QTabWidget::currentChanged, this, [this] {
    const QWidget* page = Main_PageControl->currentWidget();
    if (page == Preferences_TabSheet) MakePreferencesPage();
    if (page == Log_TabSheet) LogMemo();
  });
  connect(Hibernate_Timer, &QTimer::timeout, this, &TTessivar_Form::Hibernate_TimerTimer);
  // A scheduled check reads the drives ticked when it was scheduled. Only a
  // tick counts: each reading rewrites its row, and planning anew at every
  // cell would cost a tick of many drives the square of their number.
  connect(HDDs_ListView->model(), &QAbstractItemModel::dataChanged, this,
          [this](const QModelIndex& from, const QModelIndex&, const QList<int>& roles) {
            if (from.column() != 0 || !(roles.isEmpty() || roles.contains(Qt::CheckStateRole))) {
              return;
            }
            Monitor.Watch().WatchedDrivesChanged();
            Monitor.Health().WatchedDrivesChanged();
          });
  connect(SpeedButton1, &QToolButton::clicked, this, &TTessivar_Form::SpeedButton1Click);
  connect(Image1, &TImage::Clicked, this, &TTessivar_Form::Image1Click);
}

}  // namespace halvoric
