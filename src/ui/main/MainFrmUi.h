#pragma once
// The editor window's controls, by type: the frame's (menus, options tree,
// tabs, folder row, buttons) from the window's creation on, and each page's
// once the page has been built (BuildPage in MainFrmPages.cpp). Until then a
// page's members are null: the window is created with every member zeroed.

#include "ui_MainFrm.h"
#include "ui_PageAccess.h"
#include "ui_PageClientConnection.h"
#include "ui_PageCompatibility.h"
#include "ui_PageGeneral.h"
#include "ui_PageLockMemory.h"
#include "ui_PageOtherAccess.h"
#include "ui_PageOthers.h"
#include "ui_PageSettingsForWindows.h"
#include "ui_PageSuperServerEngine.h"
#include "ui_PageUnixLinux.h"

namespace Ui {

class TMainFrm : public MainFrame,
                 public PageGeneral,
                 public PageAccess,
                 public PageOtherAccess,
                 public PageClientConnection,
                 public PageLockMemory,
                 public PageSuperServerEngine,
                 public PageSettingsForWindows,
                 public PageUnixLinux,
                 public PageCompatibility,
                 public PageOthers {};

}  // namespace Ui
