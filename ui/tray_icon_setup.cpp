// The tray icon as the window stores it: always in the tray with the tooltip
// "Halvoric", the menu on the right button, minimise hiding to the tray.
#include "ui/pictures.h"
#include "ui/tessivar_form.h"

namespace halvoric {

void TTessivar_Form::BuildTrayIcon() {
  TrayIcon1.SetHint("Halvoric");
  TrayIcon1.SetIcon(Glyph("tray.png"));
  TrayIcon1.SetPopupMenu(PopupMenu1);
  TrayIcon1.SetMinimizeToTray(true);
  TrayIcon1.OnDblClick = [this](TTrayIcon&) { TrayIcon1DblClick(); };
  TrayIcon1.OnBalloonHintClick = [this](TTrayIcon&) { TrayIcon1DblClick(); };
  TrayIcon1.OnMinimizeToTray = [this](TTrayIcon&) { TrayIcon1MinimizeToTray(); };
  connect(ShowTessivar1, &QAction::triggered, this, [this] { TrayIcon1DblClick(); });
  connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
  TrayIcon1.Loaded();
  // Set even when no tray is up yet: the icon follows once one appears.
  TrayIcon1.SetIconVisible(true);
}

}  // namespace halvoric
