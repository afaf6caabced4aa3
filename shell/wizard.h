// The wizard frame (one modal dialog with Back, Next, Cancel and Finish) and the page base.
#pragma once

#include <windows.h>

#include <vector>

#include "win/dialog.h"
#include "win/handles.h"

class CWizardDialog;

// The pages' bold title font for `dialog`: Arial, weight 700, 20 pixels high with the dialog font
// of 96 DPI and in proportion to `dialog`'s own font at any other display scale. The caller owns it.
HFONT CreateTitleFont(HWND dialog);

class CWizardPage : public win::CDialog {
 public:
  CWizardPage(UINT templateId, HWND parent);
  ~CWizardPage() override;

  // Hooks the frame calls; the defaults let every navigation go ahead.
  virtual BOOL OnCreatePage();
  virtual void OnDestroyPage();
  virtual BOOL OnKillActive();
  virtual void OnSetActive();
  virtual void OnAfterNext();
  virtual BOOL OnQueryCancel();
  // 0: previous page; -1: stay; anything else: template id of the target page.
  virtual int OnWizardBack();
  virtual BOOL IsNextBlocked();
  // 0: next page; -1: stay; anything else: template id of the target page.
  virtual int OnWizardNext();
  virtual BOOL OnWizardFinish();
  // The session ends (log-off, restart) while this page's step runs, despite the frame's refusal:
  // the process is about to be ended, so whatever must not be left half done is undone now.
  virtual void OnEndSession();

  // Drains the queue, then sleeps one slice and drains again totalMs / sliceMs times.
  BOOL PumpWait(DWORD totalMs, DWORD sliceMs);

  CWizardDialog* m_pSheet = nullptr;
  BOOL m_bCreated = FALSE;
  BOOL m_bActive = FALSE;
  UINT m_nTemplateId;

 protected:
  BOOL OnInitDialog() override;
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT message) override;
  bool PreTranslateMessage(MSG* msg) override;
  // Esc inside a page does not close anything.
  void OnCancel() override;
  // Sets a bold title font on a control, with redraw.
  void ApplyTitleFont(int controlId, HFONT font) const;
  // Gives the page's banner picture a bitmap drawn at the exact size of its area for the display's
  // scale (the template names the one for 96 DPI, which stays where it fits the area exactly or
  // no other can be drawn).
  void ApplyBanner();

  win::ScopedFont m_font;
  win::ScopedBrush m_brush;
  win::ScopedBitmap m_banner;
};

class CWizardDialog : public win::CDialog {
 public:
  CWizardDialog(UINT templateId, HWND parent);

  void AddPage(CWizardPage* page, UINT templateId);
  void SetPlaceholder(UINT id) { m_nPlaceholderId = id; }
  void EnableNext(BOOL enable);
  void EnableFinish(BOOL enable);
  void EnableButton(int id, BOOL enable);

  // The frame's buttons, for SetWizardButtons.
  enum WizardButton : unsigned { kBack = 1, kNext = 2, kCancel = 4, kFinish = 8 };
  // A page decides its frame buttons in one call: those named in `buttons` (kBack | kNext ...) are
  // enabled, the others disabled.
  void SetWizardButtons(unsigned buttons);

  CWizardPage* GetActivePage() const;
  CWizardPage* FindPage(UINT templateId) const;
  const std::vector<CWizardPage*>& Pages() const { return m_pages; }

  // True while a page's hook runs (its long steps handle messages meanwhile): the frame then
  // refuses Back, Next, Finish and Cancel in every form, buttons, Esc, Alt+F4 and the close box.
  bool IsPageWorking() const { return m_nPageWork > 0; }
  // Gives `control` the keyboard focus the way dialogs do (WM_NEXTDLGCTL).
  void FocusControl(HWND control);

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  bool PreTranslateMessage(MSG* msg) override;
  void OnCancel() override;
  void OnDestroy() override;

  void ShowFirstPage();
  BOOL ActivatePage(CWizardPage* page);
  BOOL HideActivePage();
  void OnNext();
  void OnBack();
  void OnFinish();
  void NextPage();
  void PreviousPage();

 private:
  // Counts the page hooks running, for IsPageWorking. While one runs, the frame refuses to let the
  // session end, and tells Windows why (Vista and later show the reason to the person).
  class PageWork {
   public:
    explicit PageWork(CWizardDialog& frame);
    ~PageWork();
    PageWork(const PageWork&) = delete;
    PageWork& operator=(const PageWork&) = delete;

   private:
    CWizardDialog& m_frame;
  };

  // A page's step ended in an exception (told already): its buttons would stay disabled, so the
  // frame offers a way out, Finish after the last page's work and Cancel before it.
  void OfferWayOutAfterFailedStep();
  int IndexOf(const CWizardPage* page) const;
  // After a navigation: a keyboard user needs the focus on something usable. Windows drops the
  // focus of a control that a page disables while it works (Next, when pressed), so unless a page
  // has put it somewhere usable, it goes to Next, else Finish, else Back, else Cancel.
  void RestoreFocus();

  std::vector<CWizardPage*> m_pages;  // not owned: start-up creates and destroys the pages
  UINT m_nPlaceholderId = 0;
  int m_nPageWork = 0;
};

class CWizardSheet : public CWizardDialog {
 public:
  explicit CWizardSheet(HWND parent);

 protected:
  BOOL OnInitDialog() override;
};
