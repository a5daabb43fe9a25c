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

void TTessivar_Form::ConnectHandlers() {
  const std::pair<QCheckBox*, void (TTessivar_Form::*)()> boxes[] = {
      {AutoRun_CheckBox, &TTessivar_Form::AutoRun_CheckBoxClick},
      {LogEvents_CheckBox, &TTessivar_Form::LogEvents_CheckBoxClick},
      {SystemLogEvents_CheckBox, &TTessivar_Form::SystemLogEvents_CheckBoxClick},
      {DiskStatus_CheckBox, &TTessivar_Form::DiskStatus_CheckBoxClick},
      {Hibernate_CheckBox, &TTessivar_Form::Hibernate_CheckBoxClick},
      {TempWarn_CheckBox, &TTessivar_Form::TempWarn_CheckBoxClick},
      {PopupNotify_CheckBox, &TTessivar_Form::PopupNotify_CheckBoxClick},
      {EmailNotify_CheckBox, &TTessivar_Form::EmailNotify_CheckBoxClick},
      {SndFile_CheckBox, &TTessivar_Form::SndFile_CheckBoxClick},
  };
  for (const auto& [box, handler] : boxes) {
    connect(box, &QCheckBox::toggled, this, [this, handler = handler] { (this->*handler)(); });
  }

  const std::tuple<QLineEdit*, void (TTessivar_Form::*)(), void (TTessivar_Form::*)()> edits[] = {
      {CritTemp_Edit, &TTessivar_Form::CritTemp_EditChange, &TTessivar_Form::CritTemp_EditExit},
      {Email_Edit, &TTessivar_Form::Email_EditChange, &TTessivar_Form::Email_EditExit},
      {SoundPath_Edit, &TTessivar_Form::SoundPath_EditChange, &TTessivar_Form::SoundPath_EditExit},
  };
  for (const auto& [edit, change, exit] : edits) {
    connect(edit, &QLineEdit::textChanged, this, [this, change = change] { (this->*change)(); });
    auto* filter = new FocusOutFilter(edit, [this, exit = exit] { (this->*exit)(); });
    // Typing only: texts the program sets (the settings load) are no edit.
    connect(edit, &QLineEdit::textEdited, filter, &FocusOutFilter::TextEdited);
    edit->installEventFilter(filter);
    focusFilters_.push_back(filter);
  }

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
  connect(MailTest_Button, &QPushButton::clicked, this, &TTessivar_Form::MailTest_ButtonClick);
  connect(SndBrowse_Button, &QPushButton::clicked, this, &TTessivar_Form::SndBrowse_ButtonClick);
  connect(SpeedButton1, &QToolButton::clicked, this, &TTessivar_Form::SpeedButton1Click);
  connect(Image1, &TImage::Clicked, this, &TTessivar_Form::Image1Click);
}

}  // namespace halvoric
