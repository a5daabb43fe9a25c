#include "ui/pictures.h"
#include "ui/tessivar_form.h"

namespace halvoric {

namespace {
constexpr int kCheckTempIntervalMs = 30000;
constexpr int kHibernateIntervalMs = 1000;

QTimer* StoppedTimer(QObject* owner, int intervalMs) {
  auto* timer = new QTimer(owner);
  timer->setInterval(intervalMs);
  return timer;
}
}  // namespace

void TTessivar_Form::BuildComponents() {
  CheckTemp_Timer = StoppedTimer(this, kCheckTempIntervalMs);
  Hibernate_Timer = StoppedTimer(this, kHibernateIntervalMs);
  HealthCheck_Timer = new QTimer(this);

  PopupMenu1 = new QMenu(this);
  ShowTessivar1 = PopupMenu1->addAction("Show Main Window");
  Exit1 = PopupMenu1->addAction("Exit");

  HDDs_PopupMenu = new QMenu(this);
  TempHistory1 = HDDs_PopupMenu->addAction("Temperature history\u2026");

  EventLogWriter1.SetAppName("Tessivar");

  ImageListIcons = {Glyph("list-0-check.png"),       Glyph("list-1-arrow.png"),
                    Glyph("list-2-drive-alert.png"), Glyph("list-3-drive-search.png"),
                    Glyph("list-4-plus.png"),        Glyph("list-5-tiles.png"),
                    Glyph("list-6-grid.png")};

  OpenDialog1 = {"Wave File (*.wav *.WAV)"};
  SaveDialog1 = {"Log File (*.txt)"};
}

}  // namespace halvoric
