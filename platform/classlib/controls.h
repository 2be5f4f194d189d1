// Control classes: objects bound to the standard controls. Each is made
// either as a new window (the constructor with a place and size) or from an
// item of its parent dialog's template (the constructor with a resource
// id), and speaks to its window through the controls' messages.
#pragma once

#include <string>
#include <vector>

#include "platform/classlib/window.h"
#include "platform/gui/controls.h"

class TControl : public TWindow {
 public:
  TControl(TWindow* parent, int id, const char* title, int x, int y, int w, int h, TModule* module = nullptr);
  // An item of the parent dialog's template.
  TControl(TWindow* parent, int resourceId, TModule* module = nullptr);
  // An owner-drawn control draws itself here when its parent is asked to.
  virtual void DrawItem(DRAWITEMSTRUCT& drawInfo) {}
};

class TButton : public TControl {
 public:
  TButton(TWindow* parent, int id, const char* text, int x, int y, int w, int h, bool isDefault = false,
          TModule* module = nullptr);
  TButton(TWindow* parent, int resourceId, TModule* module = nullptr);
  const char* GetClassName() override;
  void Click();
};

class TGroupBox;

class TCheckBox : public TButton {
 public:
  enum TState { Unchecked = 0, Checked = 1, Indeterminate = 2 };
  TCheckBox(TWindow* parent, int id, const char* title, int x, int y, int w, int h,
            TGroupBox* group = nullptr, TModule* module = nullptr);
  TCheckBox(TWindow* parent, int resourceId, TGroupBox* group = nullptr, TModule* module = nullptr);
  void Check() { SetCheck(Checked); }
  void Uncheck() { SetCheck(Unchecked); }
  void Toggle();
  UINT GetCheck() const;
  void SetCheck(UINT state);
  TGroupBox* GetGroup() const { return Group; }

 protected:
  TGroupBox* Group;
};

class TRadioButton : public TCheckBox {
 public:
  TRadioButton(TWindow* parent, int id, const char* title, int x, int y, int w, int h,
               TGroupBox* group = nullptr, TModule* module = nullptr);
  TRadioButton(TWindow* parent, int resourceId, TGroupBox* group = nullptr, TModule* module = nullptr);
};

class TGroupBox : public TControl {
 public:
  TGroupBox(TWindow* parent, int id, const char* text, int x, int y, int w, int h, TModule* module = nullptr);
  TGroupBox(TWindow* parent, int resourceId, TModule* module = nullptr);
  const char* GetClassName() override;
};

class TStatic : public TControl {
 public:
  TStatic(TWindow* parent, int id, const char* title, int x, int y, int w, int h, UINT textLimit = 0,
          TModule* module = nullptr);
  TStatic(TWindow* parent, int resourceId, UINT textLimit = 0, TModule* module = nullptr);
  const char* GetClassName() override;
  // The text, cut to the text limit when there is one.
  void SetText(const char* text);
  std::string GetText() const;
  int GetText(char* buffer, int size) const;
  void Clear() { SetText(""); }
  UINT GetTextLimit() const { return TextLimit; }

 protected:
  UINT TextLimit;
};

class TEdit : public TStatic {
 public:
  TEdit(TWindow* parent, int id, const char* text, int x, int y, int w, int h, UINT textLimit = 0,
        bool multiline = false, TModule* module = nullptr);
  TEdit(TWindow* parent, int resourceId, UINT textLimit = 0, TModule* module = nullptr);
  const char* GetClassName() override;
  void SetupWindow() override;
  void SetSelection(int start, int end);
  void GetSelection(int& start, int& end) const;
  void Insert(const char* text);
  bool IsModified() const;
  void ClearModify();
  void SetReadOnly(bool readOnly);
  int GetNumLines() const;
  void LimitText(UINT limit);
};

class TListBox : public TControl {
 public:
  TListBox(TWindow* parent, int id, int x, int y, int w, int h, TModule* module = nullptr);
  TListBox(TWindow* parent, int resourceId, TModule* module = nullptr);
  const char* GetClassName() override;
  int AddString(const char* text);
  int InsertString(const char* text, int index);
  int DeleteString(int index);
  void ClearList();
  int GetCount() const;
  int FindExactString(const char* text, int indexStart = -1) const;
  int GetString(char* buffer, int index) const;
  std::string GetString(int index) const;
  int GetStringLen(int index) const;
  LPARAM GetItemData(int index) const;
  int SetItemData(int index, LPARAM data);
  // Single selection.
  int GetSelIndex() const;
  int SetSelIndex(int index);
  // Multiple selection.
  int GetSelCount() const;
  std::vector<int> GetSelIndexes() const;
  int SetSel(int index, bool select);
  bool GetSel(int index) const;
};

class TComboBox : public TListBox {
 public:
  TComboBox(TWindow* parent, int id, int x, int y, int w, int h, DWORD style, UINT textLimit = 0,
            TModule* module = nullptr);
  TComboBox(TWindow* parent, int resourceId, UINT textLimit = 0, TModule* module = nullptr);
  const char* GetClassName() override;
  void SetupWindow() override;
  int AddString(const char* text);
  int InsertString(const char* text, int index);
  int DeleteString(int index);
  void ClearList();
  int GetCount() const;
  int FindExactString(const char* text, int indexStart = -1) const;
  std::string GetString(int index) const;
  LPARAM GetItemData(int index) const;
  int SetItemData(int index, LPARAM data);
  int GetSelIndex() const;
  int SetSelIndex(int index);
  std::string GetText() const;
  void SetText(const char* text);
  void ShowList(bool show = true);

 private:
  UINT TextLimit;
};

// A tooltip control: a popup showing the text of the tool under the mouse.
class TTooltip : public TControl {
 public:
  // alwaysTip: also while the owner's window is inactive.
  explicit TTooltip(TWindow* parent, bool alwaysTip = true, TModule* module = nullptr);
  const char* GetClassName() override;
  void Activate(bool activate = true);
  // Which delay (TTDT_INITIAL ...) in milliseconds.
  void SetDelayTime(WPARAM which, int ms);
};

// A scroll bar. SetPosition is the one place every move goes through: the
// user's line, page, track and thumb moves reach it from the parent's
// scroll notifications.
class TScrollBar : public TControl {
 public:
  TScrollBar(TWindow* parent, int id, int x, int y, int w, int h, bool isHScrollBar,
             TModule* module = nullptr);
  TScrollBar(TWindow* parent, int resourceId, TModule* module = nullptr);
  const char* GetClassName() override;
  void SetupWindow() override;

  virtual void SetRange(int min, int max);
  void GetRange(int& min, int& max) const;
  virtual void SetPosition(int position);
  virtual int GetPosition() const;
  int DeltaPos(int delta);

  int LineMagnitude = 1;
  int PageMagnitude = 10;

  virtual void SBLineUp() { SetPosition(GetPosition() - LineMagnitude); }
  virtual void SBLineDown() { SetPosition(GetPosition() + LineMagnitude); }
  virtual void SBPageUp() { SetPosition(GetPosition() - PageMagnitude); }
  virtual void SBPageDown() { SetPosition(GetPosition() + PageMagnitude); }
  virtual void SBThumbPosition(int position) { SetPosition(position); }
  virtual void SBThumbTrack(int position) { SetPosition(position); }
  virtual void SBTop();
  virtual void SBBottom();
  bool ChildScroll(UINT code, UINT pos) override;

 protected:
  int Min = 0;
  int Max = 100;
};

// A slider (trackbar): the scroll bar's interface on the trackbar control.
// The thumb is drawn as the bitmap resource given, when there is one.
class TSlider : public TScrollBar {
 public:
  TSlider(TWindow* parent, int id, int x, int y, int w, int h, bool vertical, TResId thumbResId = TResId(),
          TModule* module = nullptr);
  TSlider(TWindow* parent, int resourceId, TResId thumbResId = TResId(), TModule* module = nullptr);
  ~TSlider() override;
  const char* GetClassName() override;
  void SetupWindow() override;
  // Tick marks every ticGap positions from the minimum (0: only the ends).
  void SetRuler(int ticGap);
  void SetRange(int min, int max) override;
  void SetPosition(int position) override;
  int GetPosition() const override;
  // The trackbar has moved itself before it tells: every move hands its new
  // position to SetPosition once (the end of a track is no move).
  bool ChildScroll(UINT code, UINT pos) override;
  TResId GetThumbResId() const { return ThumbResId; }

 protected:
  TResId ThumbResId;

 private:
  HBITMAP Thumb = nullptr;
  int TicGap = 0;
};

class THSlider : public TSlider {
 public:
  THSlider(TWindow* parent, int id, int x, int y, int w, int h, TResId thumbResId = TResId(),
           TModule* module = nullptr)
      : TSlider(parent, id, x, y, w, h, false, thumbResId, module) {}
  THSlider(TWindow* parent, int resourceId, TResId thumbResId = TResId(), TModule* module = nullptr)
      : TSlider(parent, resourceId, thumbResId, module) {}
};

class TVSlider : public TSlider {
 public:
  TVSlider(TWindow* parent, int id, int x, int y, int w, int h, TResId thumbResId = TResId(),
           TModule* module = nullptr)
      : TSlider(parent, id, x, y, w, h, true, thumbResId, module) {}
  TVSlider(TWindow* parent, int resourceId, TResId thumbResId = TResId(), TModule* module = nullptr)
      : TSlider(parent, resourceId, thumbResId, module) {}
};
