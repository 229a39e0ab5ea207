#include "client/front/account_edits.h"

#include "client/front/account_input.h"
#include "client/state/login_state.h"

namespace {

// The focus to the partner, which becomes the focused field.
int32_t focus_partner(CEditBox* self, CEditBox* partner) {
  if (!partner) return CTL_OK;
  self->set_focused(false);
  partner->set_focused(true);
  login_state.focused = partner;
  return CTL_OK;
}

// A click on the field takes the focus from its partner.
CControl* take_focus(CEditBox* self, CEditBox* partner) {
  if (partner) partner->set_focused(false);
  self->set_focused(true);
  login_state.focused = self;
  return self;
}

}  // namespace

CControl* CAccountEdit::on_click(int32_t x, int32_t y) {
  if (!CEditBox::on_click(x, y)) return nullptr;
  return take_focus(this, partner);
}

int32_t CAccountEdit::on_enter() { return focus_partner(this, partner); }
int32_t CAccountEdit::on_tab() { return on_enter(); }

CControl* CLoginPasswordEdit::on_click(int32_t x, int32_t y) {
  if (!CEditBox::on_click(x, y)) return nullptr;
  return take_focus(this, partner);
}

int32_t CLoginPasswordEdit::on_enter() { return account_input_submit(); }
int32_t CLoginPasswordEdit::on_tab() { return focus_partner(this, partner); }
