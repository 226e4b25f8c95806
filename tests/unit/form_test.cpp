// The control base and the form window on real windows under Wine.
#include "skin/form.h"

#include "child_process.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;  // what the recording controls were told, in order

// A control that records its mouse moves (hit or miss) and paints.
class CRecordingControl : public CKXBaseControl {
public:
  explicit CRecordingControl(std::string name, RECT rect) : m_name(std::move(name)) { SetRect(rect); }
  bool OnMouseMove(WPARAM flags, const POINT* point) override {
    g_log.push_back(m_name + (HitTest(point) ? ":move-hit" : ":move-miss"));
    return CKXBaseControl::OnMouseMove(flags, point);
  }
  bool OnMouseWheel(WPARAM, const POINT*) override {
    g_log.push_back(m_name + ":wheel");
    return true;
  }
  void OnPaint(HDC) override { g_log.push_back(m_name + ":paint"); }
  std::string m_name;
};

// Plain CKXForm windows get their messages through this window class.
std::map<HWND, CKXForm*> g_forms;
LRESULT CALLBACK TestWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto it = g_forms.find(wnd);
  if (it != g_forms.end() && it->second->WindowProc(wnd, msg, wParam, lParam) == 0) return 0;
  return ::DefWindowProcW(wnd, msg, wParam, lParam);
}
const wchar_t* TestClass() {
  static ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = TestWndProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KXFormTest";
    return ::RegisterClassExW(&wc);
  }();
  return atom ? L"KXFormTest" : nullptr;
}

class FormTest : public ::testing::Test {
protected:
  void MakeWindow(RECT rect) {
    m_form.SetRect(rect);
    ASSERT_TRUE(m_form.Create(TestClass(), L"ignored", ::GetModuleHandleW(nullptr), nullptr));
    g_forms[m_form.GetHwnd()] = &m_form;
  }
  void TearDown() override {
    if (m_form.GetHwnd()) {
      g_forms.erase(m_form.GetHwnd());
      ::DestroyWindow(m_form.GetHwnd());
    }
    g_log.clear();
  }
  LRESULT Send(UINT msg, int x, int y) {
    return m_form.WindowProc(m_form.GetHwnd(), msg, 0, MAKELPARAM(x, y));
  }
  CKXForm m_form;
};

TEST(ControlHitTest, EdgesEmptyHiddenAndDisabled) {
  CKXBaseControl c;
  c.SetRect({10, 10, 20, 20});
  struct Case {
    POINT p;
    bool hit;
  } cases[] = {{{10, 10}, true}, {{19, 19}, true}, {{20, 15}, false}, {{15, 20}, false}, {{9, 15}, false}};
  for (const Case& k : cases) EXPECT_EQ(c.HitTest(&k.p), k.hit) << k.p.x << "," << k.p.y;

  POINT inside{15, 15};
  c.m_visible = false;
  EXPECT_FALSE(c.HitTest(&inside));
  c.m_visible = true;
  c.m_enabled = false;
  EXPECT_FALSE(c.HitTest(&inside));

  CKXBaseControl empty;  // (0, 0, 0, 0) holds no point, not even its corner
  POINT origin{0, 0};
  EXPECT_FALSE(empty.HitTest(&origin));
}

TEST_F(FormTest, CreateTakesYFromTheWidthAndNamesTheWindow) {
  MakeWindow({0, 0, 278, 329});
  RECT wr{};
  ::GetWindowRect(m_form.GetHwnd(), &wr);
  EXPECT_EQ(wr.left, 0);
  EXPECT_EQ(wr.top, 278);
  EXPECT_EQ(wr.right - wr.left, 278);
  EXPECT_EQ(wr.bottom - wr.top, 329);
  EXPECT_FALSE(::IsWindowVisible(m_form.GetHwnd()));
  wchar_t text[64] = {};
  ::GetWindowTextW(m_form.GetHwnd(), text, 64);
  EXPECT_STREQ(text, L"Gravemere");

  HWND first = m_form.GetHwnd();
  EXPECT_TRUE(m_form.Create(TestClass(), L"x", ::GetModuleHandleW(nullptr), nullptr));
  EXPECT_EQ(m_form.GetHwnd(), first);
}

TEST(CenterOnWorkArea, IgnoresTheWorkAreaOrigin) {
  struct Case {
    RECT work;
    LONG w, h;
    POINT expect;
  } cases[] = {
      {{0, 0, 1920, 1040}, 1024, 700, {448, 170}},
      {{0, 0, 1366, 728}, 1024, 700, {171, 14}},
      {{100, 50, 1366, 728}, 1024, 700, {171, 14}},
      {{0, 0, 1000, 600}, 1024, 700, {-12, -50}},  // larger than the work area: truncated toward zero
      {{0, 0, 1001, 601}, 1024, 700, {-11, -49}},
  };
  for (const Case& k : cases) {
    POINT at = CenterOnWorkArea(k.work, k.w, k.h);
    EXPECT_EQ(at.x, k.expect.x);
    EXPECT_EQ(at.y, k.expect.y);
  }
}

TEST_F(FormTest, ShowCenteredPlacesOnTheWorkArea) {
  CKXForm none;
  EXPECT_FALSE(none.ShowCentered(SW_SHOW));
  MakeWindow({0, 0, 400, 300});
  ASSERT_TRUE(m_form.ShowCentered(SW_SHOW));
  RECT work = GetWorkArea(), wr{};
  ::GetWindowRect(m_form.GetHwnd(), &wr);
  EXPECT_EQ(wr.left, (work.right - 400) / 2);
  EXPECT_EQ(wr.top, (work.bottom - 300) / 2);
  EXPECT_TRUE(::IsWindowVisible(m_form.GetHwnd()));
}

TEST_F(FormTest, UpdateRegionCoversOneMorePixelEachWay) {
  // The region is made as a 101 x 51 round rectangle; such regions leave out their right and
  // bottom edge, so it covers exactly the 100 x 50 client area and nothing less.
  UniqueRegion square(MakeFormRegion({0, 0, 100, 50}, false));
  RECT box{};
  ::GetRgnBox(square.Get(), &box);
  EXPECT_EQ(box.right - box.left, 100);
  EXPECT_EQ(box.bottom - box.top, 50);
  EXPECT_TRUE(::PtInRegion(square.Get(), 99, 49));
  EXPECT_TRUE(::PtInRegion(square.Get(), 0, 0));
  UniqueRegion round(MakeFormRegion({0, 0, 100, 50}, true));
  EXPECT_FALSE(::PtInRegion(round.Get(), 0, 0));  // the corner is cut off
  EXPECT_TRUE(::PtInRegion(round.Get(), 50, 25));

  MakeWindow({0, 0, 100, 50});
  m_form.UpdateRegion();
  UniqueRegion installed(::CreateRectRgn(0, 0, 0, 0));
  EXPECT_NE(::GetWindowRgn(m_form.GetHwnd(), installed.Get()), ERROR);
}

TEST_F(FormTest, RightAnchorFollowsTheHostWidth) {
  MakeWindow({0, 0, 800, 100});
  CKXBaseControl c;
  m_form.AddControl(&c);
  EXPECT_EQ(c.m_hostWnd, m_form.GetHwnd());
  EXPECT_EQ(c.m_ownerForm, &m_form);

  c.m_anchor = L"Right";  // only the exact keyword counts
  c.SetRect({1, 2, 3, 4});
  c.SetAnchorRect({100, 5, 20, 25});
  EXPECT_EQ(c.GetRect().left, 1);

  c.m_anchor = L"right";
  c.SetAnchorRect({100, 5, 20, 25});
  RECT r = c.GetRect();
  EXPECT_EQ(r.left, 700);
  EXPECT_EQ(r.top, 5);
  EXPECT_EQ(r.right, 780);
  EXPECT_EQ(r.bottom, 25);
  POINT offset{3, 4};
  c.UpdateLayout(&offset);
  r = c.GetRect();
  EXPECT_EQ(r.left, 703);
  EXPECT_EQ(r.top, 9);
  EXPECT_EQ(r.right, 783);
  EXPECT_EQ(r.bottom, 29);
}

TEST_F(FormTest, MouseMovesReachMissedControlsThenOnlyTheTopmostHit) {
  MakeWindow({0, 0, 300, 200});
  CRecordingControl under("under", {0, 0, 100, 100}), over("over", {50, 50, 150, 150}),
      away("away", {200, 0, 250, 50});
  for (auto* c : {&under, &over, &away}) m_form.AddControl(c);

  Send(WM_MOUSEMOVE, 60, 60);
  EXPECT_EQ(g_log, (std::vector<std::string>{"away:move-miss", "over:move-hit"}));
  EXPECT_TRUE(m_form.m_tracking);
  POINT both{60, 60};
  EXPECT_EQ(m_form.ControlFromPoint(&both), &over);

  // Leaving the window replays a move at (0, 0): only controls away from the origin miss it...
  g_log.clear();
  Send(WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(g_log, (std::vector<std::string>{"away:move-miss", "over:move-miss", "under:move-hit"}));
  EXPECT_FALSE(m_form.m_tracking);  // ...and the next real move re-arms tracking

  g_log.clear();
  Send(WM_MOUSEWHEEL, 0, 0);  // screen point: converted, then only the topmost control under it
  g_log.clear();
  m_form.OnMouseWheel(0, &both);
  EXPECT_EQ(g_log, (std::vector<std::string>{"over:wheel"}));
  g_log.clear();
  POINT nowhere{290, 190};
  EXPECT_FALSE(m_form.OnMouseWheel(0, &nowhere));
  EXPECT_TRUE(g_log.empty());
}

TEST_F(FormTest, PaintsInListOrderAndTwiceWhenAddedTwice) {
  MakeWindow({0, 0, 300, 200});
  ::ShowWindow(m_form.GetHwnd(), SW_SHOWNOACTIVATE);
  CRecordingControl a("a", {0, 0, 100, 100}), b("b", {50, 50, 150, 150});
  m_form.AddControl(&a);
  m_form.AddControl(&b);
  m_form.AddControl(&a);
  EXPECT_EQ(m_form.m_controls.size(), 3u);

  g_log.clear();
  ::InvalidateRect(m_form.GetHwnd(), nullptr, FALSE);
  ::UpdateWindow(m_form.GetHwnd());
  EXPECT_EQ(g_log, (std::vector<std::string>{"a:paint", "b:paint", "a:paint"}));
  POINT both{60, 60};
  EXPECT_EQ(m_form.ControlFromPoint(&both), &a);  // the later entry is on top

  CRecordingControl absent("absent", {});
  EXPECT_FALSE(m_form.RemoveControl(&absent));
  EXPECT_EQ(m_form.m_controls.size(), 3u);
  EXPECT_TRUE(m_form.RemoveControl(&a));  // the first entry goes, the order stays
  ASSERT_EQ(m_form.m_controls.size(), 2u);
  EXPECT_EQ(m_form.m_controls[0], &b);
  EXPECT_EQ(m_form.m_controls[1], &a);
}

TEST_F(FormTest, HidingRepaintsOnceAndDeferredPaintWaitsForDispatch) {
  MakeWindow({0, 0, 300, 200});
  ::ShowWindow(m_form.GetHwnd(), SW_SHOWNOACTIVATE);
  ::UpdateWindow(m_form.GetHwnd());
  CRecordingControl back("back", {0, 0, 300, 200}), c("c", {10, 10, 50, 50});
  m_form.AddControl(&back);
  m_form.AddControl(&c);

  g_log.clear();
  c.SetVisible(false, true);  // repaints the area at once: what lies beneath shows
  EXPECT_EQ(g_log, (std::vector<std::string>{"back:paint", "c:paint"}));
  g_log.clear();
  c.SetVisible(false, true);  // already hidden: nothing
  EXPECT_TRUE(g_log.empty());

  c.m_deferredPaint = true;
  c.SetVisible(true, true);
  EXPECT_TRUE(g_log.empty());  // only posted
  PumpMessages(100);
  EXPECT_EQ(g_log, (std::vector<std::string>{"back:paint", "c:paint"}));
}

TEST_F(FormTest, APlainFormPressOnlyTakesTheFocus) {
  MakeWindow({0, 0, 300, 200});
  ::ShowWindow(m_form.GetHwnd(), SW_SHOW);
  POINT p{5, 5};
  EXPECT_TRUE(m_form.OnLButtonDown(0, &p));
  EXPECT_EQ(::GetFocus(), m_form.GetHwnd());
  EXPECT_EQ(m_form.WindowProc(m_form.GetHwnd(), WM_KEYDOWN, VK_SPACE, 0), 1);  // not handled
}

}  // namespace
