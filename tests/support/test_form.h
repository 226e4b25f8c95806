// A real, shown form window for control tests, and a control that records when it is painted:
// placed under a control, it tells whether that control's area was repainted.
#pragma once

#include "skin/form.h"

class CTestForm : public CKXForm {
public:
  // Creates and shows the window (without activating it); false when that failed.
  bool Open(const RECT& rect);
  ~CTestForm() override;
};

class CPaintCounter : public CKXBaseControl {
public:
  explicit CPaintCounter(const RECT& rect) { SetRect(rect); }
  void OnPaint(HDC) override { ++m_paints; }
  int Take() {  // the paints seen since the last call
    int n = m_paints;
    m_paints = 0;
    return n;
  }
  int m_paints = 0;
};
