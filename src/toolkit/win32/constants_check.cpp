// The core names the platform's style, draw-text and up-down constants without seeing
// <windows.h>; here every one of them is held against the platform's own value.
#include "window/styles.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace {

template <class A, class B>
constexpr bool same(A a, B b) {
    return std::cmp_equal(a, b);
}

// --- window styles ---
static_assert(same(ui::WS_CHILD_, WS_CHILD));
static_assert(same(ui::WS_MINIMIZE_, WS_MINIMIZE));
static_assert(same(ui::WS_VISIBLE_, WS_VISIBLE));
static_assert(same(ui::WS_DISABLED_, WS_DISABLED));
static_assert(same(ui::WS_CLIPSIBLINGS_, WS_CLIPSIBLINGS));
static_assert(same(ui::WS_CLIPCHILDREN_, WS_CLIPCHILDREN));
static_assert(same(ui::WS_MAXIMIZE_, WS_MAXIMIZE));
static_assert(same(ui::WS_CAPTION_, WS_CAPTION));
static_assert(same(ui::WS_BORDER_, WS_BORDER));
static_assert(same(ui::WS_DLGFRAME_, WS_DLGFRAME));
static_assert(same(ui::WS_VSCROLL_, WS_VSCROLL));
static_assert(same(ui::WS_HSCROLL_, WS_HSCROLL));
static_assert(same(ui::WS_SYSMENU_, WS_SYSMENU));
static_assert(same(ui::WS_THICKFRAME_, WS_THICKFRAME));
static_assert(same(ui::WS_GROUP_, WS_GROUP));
static_assert(same(ui::WS_TABSTOP_, WS_TABSTOP));
static_assert(same(ui::WS_MINIMIZEBOX_, WS_MINIMIZEBOX));
static_assert(same(ui::WS_MAXIMIZEBOX_, WS_MAXIMIZEBOX));

// --- extended window styles ---
static_assert(same(ui::WS_EX_DLGMODALFRAME_, WS_EX_DLGMODALFRAME));
static_assert(same(ui::WS_EX_TOPMOST_, WS_EX_TOPMOST));
static_assert(same(ui::WS_EX_TOOLWINDOW_, WS_EX_TOOLWINDOW));
static_assert(same(ui::WS_EX_CLIENTEDGE_, WS_EX_CLIENTEDGE));
static_assert(same(ui::WS_EX_STATICEDGE_, WS_EX_STATICEDGE));

// --- button styles ---
static_assert(same(ui::BS_PUSHBUTTON_, BS_PUSHBUTTON));
static_assert(same(ui::BS_DEFPUSHBUTTON_, BS_DEFPUSHBUTTON));
static_assert(same(ui::BS_AUTOCHECKBOX_, BS_AUTOCHECKBOX));
static_assert(same(ui::BS_GROUPBOX_, BS_GROUPBOX));
static_assert(same(ui::BS_AUTORADIOBUTTON_, BS_AUTORADIOBUTTON));
static_assert(same(ui::BS_TYPEMASK_, BS_TYPEMASK));
static_assert(same(ui::BS_LEFTTEXT_, BS_LEFTTEXT));
static_assert(same(ui::BS_ICON_, BS_ICON));
static_assert(same(ui::BS_BITMAP_, BS_BITMAP));
static_assert(same(ui::BS_LEFT_, BS_LEFT));
static_assert(same(ui::BS_RIGHT_, BS_RIGHT));
static_assert(same(ui::BS_CENTER_, BS_CENTER));
static_assert(same(ui::BS_TOP_, BS_TOP));
static_assert(same(ui::BS_BOTTOM_, BS_BOTTOM));
static_assert(same(ui::BS_VCENTER_, BS_VCENTER));
static_assert(same(ui::BS_PUSHLIKE_, BS_PUSHLIKE));
static_assert(same(ui::BS_MULTILINE_, BS_MULTILINE));
static_assert(same(ui::BS_FLAT_, BS_FLAT));

// --- edit styles ---
static_assert(same(ui::ES_LEFT_, ES_LEFT));
static_assert(same(ui::ES_CENTER_, ES_CENTER));
static_assert(same(ui::ES_RIGHT_, ES_RIGHT));
static_assert(same(ui::ES_MULTILINE_, ES_MULTILINE));
static_assert(same(ui::ES_UPPERCASE_, ES_UPPERCASE));
static_assert(same(ui::ES_LOWERCASE_, ES_LOWERCASE));
static_assert(same(ui::ES_PASSWORD_, ES_PASSWORD));
static_assert(same(ui::ES_AUTOVSCROLL_, ES_AUTOVSCROLL));
static_assert(same(ui::ES_AUTOHSCROLL_, ES_AUTOHSCROLL));
static_assert(same(ui::ES_NOHIDESEL_, ES_NOHIDESEL));
static_assert(same(ui::ES_READONLY_, ES_READONLY));
static_assert(same(ui::ES_WANTRETURN_, ES_WANTRETURN));
static_assert(same(ui::ES_NUMBER_, ES_NUMBER));

// --- DrawText flags ---
static_assert(same(ui::DT_TOP_, DT_TOP));
static_assert(same(ui::DT_LEFT_, DT_LEFT));
static_assert(same(ui::DT_CENTER_, DT_CENTER));
static_assert(same(ui::DT_RIGHT_, DT_RIGHT));
static_assert(same(ui::DT_VCENTER_, DT_VCENTER));
static_assert(same(ui::DT_BOTTOM_, DT_BOTTOM));
static_assert(same(ui::DT_WORDBREAK_, DT_WORDBREAK));
static_assert(same(ui::DT_SINGLELINE_, DT_SINGLELINE));
static_assert(same(ui::DT_NOCLIP_, DT_NOCLIP));

// --- up-down control styles ---
static_assert(same(ui::UDS_SETBUDDYINT_, UDS_SETBUDDYINT));
static_assert(same(ui::UDS_ALIGNRIGHT_, UDS_ALIGNRIGHT));
static_assert(same(ui::UDS_ARROWKEYS_, UDS_ARROWKEYS));
static_assert(same(ui::UDS_NOTHOUSANDS_, UDS_NOTHOUSANDS));

}  // namespace
